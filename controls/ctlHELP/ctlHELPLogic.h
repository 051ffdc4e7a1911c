// What the help panel shows: the text of the interface language, the line to bring to the top
// and the caption for the open topic.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kavu {

/// The caption of a topic: the About caption for topic 0, the help caption for the others.
/// Language 1 is Russian, 2 English; anything else gives the empty text.
std::string_view HelpCaption(int language, int topic);

/// Where topic 1 (entering a sheet number) and topic 2 (entering coordinates) begin in the text
/// of `language`, as a character offset from 0; 0 for topic 0 and for any other topic or
/// language.
int HelpTopicOffset(int language, int topic);

class ctlHELPLogic {
  public:
    /// 1 Russian, 2 English (the default).
    int Language() const { return language_; }
    /// Anything but 1 or 2 is refused (false) and changes nothing. When a topic is open it is
    /// shown again, so the position and the caption follow the language.
    bool SetLanguage(int language);

    /// The text of the current language.
    std::string_view Text() const;

    /// Opens a topic: 0 About, 1 entering a sheet number, 2 entering coordinates. A larger
    /// topic keeps the section of the previous Show. A negative topic is refused (false).
    bool Show(int topic);
    /// The user closed the panel.
    void Close() { open_.reset(); }
    std::optional<int> OpenTopic() const { return open_; }

    /// Character offset (from 0) in Text() of the line to bring to the top.
    int Position() const { return HelpTopicOffset(language_, section_); }
    /// The line (from 0) that holds Position().
    int TopLine() const;
    /// The caption chosen by the last Show; empty before the first.
    const std::string& Caption() const { return caption_; }

  private:
    int language_ = 2;
    std::optional<int> open_;
    int section_ = 0; // 0, 1 or 2: the part of the text the last Show went to
    std::string caption_;
};

} // namespace kavu
