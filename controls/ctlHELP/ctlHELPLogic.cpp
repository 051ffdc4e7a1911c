#include "controls/ctlHELP/ctlHELPLogic.h"

#include "controls/ctlHELP/ctlHELPTexts.h"

#include <algorithm>

namespace kavu {

namespace {

std::string_view TextOf(int language) {
    return language == 1 ? kHelpTextRussian : kHelpTextEnglish;
}

// Characters, not bytes: a UTF-8 continuation byte starts no character.
int CharacterCount(std::string_view text) {
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string_view TopicHeading(int language, int topic) {
    if (language == 1) {
        if (topic == 1) return "Ввод номера";
        if (topic == 2) return "Ввод координат";
    } else if (language == 2) {
        if (topic == 1) return "Entering a sheet number:";
        if (topic == 2) return "Entering coordinates:";
    }
    return {};
}

} // namespace

std::string_view HelpCaption(int language, int topic) {
    if (language == 1) return topic == 0 ? "О Программе" : "Справка";
    if (language == 2) return topic == 0 ? "About" : "Help";
    return {};
}

int HelpTopicOffset(int language, int topic) {
    const std::string_view heading = TopicHeading(language, topic);
    if (heading.empty()) return 0;
    const std::string_view text = TextOf(language);
    const std::size_t at = text.find(heading);
    return at == std::string_view::npos ? 0 : CharacterCount(text.substr(0, at));
}

bool ctlHELPLogic::SetLanguage(int language) {
    if (language != 1 && language != 2) return false;
    language_ = language;
    if (open_) Show(*open_);
    return true;
}

std::string_view ctlHELPLogic::Text() const {
    return TextOf(language_);
}

bool ctlHELPLogic::Show(int topic) {
    if (topic < 0) return false;
    open_ = topic;
    // The section, not a raw offset, is kept for topics beyond 2, so that a later change of
    // language finds the same section in the other text.
    if (topic <= 2) section_ = topic;
    caption_ = std::string(HelpCaption(language_, topic));
    return true;
}

int ctlHELPLogic::TopLine() const {
    const std::string_view text = Text();
    int line = 0;
    int characters = 0;
    const int position = Position();
    for (std::size_t i = 0; i < text.size() && characters < position; ++i) {
        const char c = text[i];
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
        if (c == '\n') ++line;
    }
    return line;
}

} // namespace kavu
