#include "tests/cli/run_tool.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

// Starts the tool with `actions` on its standard streams.
int Spawn(const std::vector<std::string>& args, posix_spawn_file_actions_t& actions) {
    static std::string tool = KAVU_SHEET;
    std::vector<char*> argv{tool.data()};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) std::abort();
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int Wait(int pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The file's text; the file is removed.
std::string Take(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(f)), {});
    std::remove(path.c_str());
    return text;
}

} // namespace

ToolRun RunTool(const std::vector<std::string>& args, const std::string& input,
                const std::string& path) {
    char dir[] = "/tmp/kavu-sheet-test-XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    const std::string in = std::string(dir) + "/in", out = std::string(dir) + "/out",
                      err = std::string(dir) + "/err";
    std::ofstream(in, std::ios::binary) << input;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, path.empty() ? out.c_str() : path.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ToolRun run;
    run.Status = Wait(Spawn(args, actions));
    run.Out = Take(out);
    run.Err = Take(err);
    std::remove(in.c_str());
    rmdir(dir);
    return run;
}

ToolSession::ToolSession(const std::vector<std::string>& args) {
    int in[2], out[2];
    char path[] = "/tmp/kavu-sheet-err-XXXXXX";
    const int err = mkstemp(path);
    if (pipe(in) != 0 || pipe(out) != 0 || err < 0) std::abort();
    errorFile_ = path;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    for (const int fd : {err, in[0], in[1], out[0], out[1]})
        posix_spawn_file_actions_addclose(&actions, fd);
    pid_ = Spawn(args, actions);
    for (const int fd : {err, in[0], out[1]})
        close(fd);
    in_ = in[1];
    out_ = out[0];
}

void ToolSession::Send(const std::string& text) {
    // A tool that has stopped reading makes this fail; the caller checks what it wrote.
    [[maybe_unused]] const ssize_t n = write(in_, text.data(), text.size());
}

std::string ToolSession::ReadLine() {
    for (std::size_t nl; (nl = pending_.find('\n')) == std::string::npos;) {
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, 20000) <= 0) return "<timeout>";
        char buffer[4096];
        const ssize_t n = read(out_, buffer, sizeof buffer);
        if (n <= 0) return "<end>";
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t nl = pending_.find('\n');
    std::string line = pending_.substr(0, nl);
    pending_.erase(0, nl + 1);
    return line;
}

void ToolSession::CloseOutput() {
    close(out_);
    out_ = -1;
}

int ToolSession::Finish() {
    if (pid_ < 0) return -1;
    close(in_);
    const int status = Wait(pid_);
    pid_ = -1;
    Errors = Take(errorFile_);
    if (out_ >= 0) CloseOutput();
    return status;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> CsvFields(const std::string& row) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const char c = row[i];
        if (quoted && c == '"' && i + 1 < row.size() && row[i + 1] == '"')
            fields.back() += row[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}
