// Recognition and stepping of one part of a sheet number (row, column, part of the 1:1,000,000
// sheet, quarter), without any widget. Texts are UTF-8 std::string; the widget converts its
// QString at the edge.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kavu {

/// The ScaleIndex that the input of each sheet-number box implies, indexed 1..4 by the box's
/// View (index 0 unused); 0 while the box is empty or holds "0"/"00". One array for the whole
/// program: each box writes its own entry, the window reads them after every Change.
extern std::array<std::int32_t, 5> BoxScale;

/// What a text typed into a box stands for.
struct SheetPart {
    bool accepted = false;
    std::int32_t value = 0; ///< index of the part, 0 for the empty text, "0" and "00"
    std::int32_t scale = 0; ///< the BoxScale entry it implies
};

class ctlNNNNLogic {
  public:
    class Host {
      public:
        virtual ~Host() = default;
        /// The error signal on the box.
        virtual void Flash() {}
        /// Put `text` into the box, caret at the end, without it being recognised again.
        virtual void Show(const std::string& text) { (void)text; }
        /// The box's Change event.
        virtual void Changed(int value) { (void)value; }
    };

    explicit ctlNNNNLogic(Host* host = nullptr) : host_(host) {}
    void setHost(Host* host) { host_ = host; }

    /// 1 row, 2 column, 3 part of the 1:1,000,000 sheet, 4 quarter. Other values are refused
    /// (false, nothing changes): the box indexes BoxScale with it.
    int View() const { return view_; }
    bool setView(int view);

    /// Index held, 0 when empty.
    int value() const { return value_; }
    /// The ScaleIndex of the form held (the box's BoxScale entry).
    int scale() const { return scale_; }
    /// The last recognised text, upper case.
    const std::string& text() const { return text_; }

    /// Empties the box and its BoxScale entry. No event.
    void Reset();
    /// The box text changed by the user's editing (UTF-8).
    void Edit(std::string_view boxText);
    /// One step, +1 or -1 (other values are taken by their sign; 0 does nothing).
    void Step(int d);
    /// One wheel notch; the shell calls it only for the focused box under the pointer.
    void Wheel(int d) { Step(d); }
    /// A key press by virtual-key number; true if it stepped (the key still goes on to the box).
    bool Key(int virtualKey);

    /// Latin a-z and Cyrillic lower-case letters to upper case; everything else as it is.
    static std::string UpperCase(std::string_view text);
    /// What an upper-case text means in a box of the given View (1..4).
    static SheetPart Recognise(std::string_view upper, int view);

  private:
    Host* host_ = nullptr;
    int view_ = 1;
    int value_ = 0;
    int scale_ = 0;
    std::string text_;
};

} // namespace kavu
