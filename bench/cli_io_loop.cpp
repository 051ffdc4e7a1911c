// kavu-sheet's own read-and-write loop without the engine: every line of standard input is
// answered with the same fixed 1:50,000 record, through the tool's line reader, output buffer
// and writers. Timed beside `kavu-sheet point --scale 50k`, the difference is the engine.
//   kavu-sheet-io [text|csv|json|geojson] < points > /dev/null
#include "cli/stream.h"

#include <cstdio>

using namespace kavu::cli;

int main(int argc, char** argv) {
    Format format = Format::Text;
    if (argc > 1 && !ReadFormat(argv[1], format)) {
        std::fputs("usage: kavu-sheet-io [text|csv|json|geojson] < input\n", stderr);
        return 2;
    }
    Output out(1);
    const Datum datum;
    const auto writer = MakeWriter(format, Command::Point, out, datum);
    writer->Begin();
    LineReader lines(FlushingSource(0, out));
    const int status = AnswerLines(
        lines,
        [&](std::string_view text, std::size_t line, Problem&) {
            SheetRecord r;
            r.Line = line;
            r.Input = text;
            r.Scale = 5;
            r.New = "14-37-004-3";
            r.Old = "N-37-4-\u0412";
            r.Frame = {201000, 200400, 135000, 135900};
            writer->Write(r);
            return true;
        },
        *writer, out, false,
        [](const std::string& message) { std::fputs(message.c_str(), stderr); });
    writer->End();
    out.Flush();
    return status;
}
