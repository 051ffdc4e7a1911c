// Every language-dependent text of the window, Russian and English.
#pragma once

namespace kavu {

struct CaptionText {
    const char* Russian;
    const char* English;
    const char* operator[](int language) const { return language == 2 ? English : Russian; }
};

namespace captions {
inline constexpr CaptionText mnuAction{"Действие", "Action"};
inline constexpr CaptionText mnuAct1{"Лист -> Координаты", "Sheet -> Coordinate"};
inline constexpr CaptionText mnuAct2{"Координаты -> Лист", "Coordinate -> Sheet"};
inline constexpr CaptionText mnuExport{"Экспорт", "Export"};
inline constexpr CaptionText mnuExit{"Выход", "Exit"};
inline constexpr CaptionText mnuOpt{"Настройки", "Option"};
inline constexpr CaptionText mnuAlwaysOnTop{"Поверх всех окон", "Always on Top"};
inline constexpr CaptionText mnuSaveSettings{"Сохранять установки", "Save Settings"};
inline constexpr CaptionText mnuHelp{"Помощь", "Help"};
inline constexpr CaptionText mnuContents{"Содержание", "Contents"};
inline constexpr CaptionText mnuAbout{"О Программе", "About"};
inline constexpr CaptionText fraAct3{"Соседние листы", "Neighbor Sheets"};
inline constexpr CaptionText lblNumber{"Введите номер листа:", "Input sheet number:"};
inline constexpr CaptionText lblResult1{"Результат:", "Result:"};
inline constexpr CaptionText lblScale{"Масштаб:", "Scale:"};
inline constexpr CaptionText lblCoordinate{"Введите координаты:", "Input coordinate:"};
inline constexpr CaptionText cmdClearTip{"Очистить", "Clear"};
inline constexpr CaptionText cmdKeepTip{"Запомнить", "Keep"};
inline constexpr CaptionText mnuCopy{"Копировать", "Copy"};
inline constexpr CaptionText mnuPaste{"Вставить", "Paste"};
inline constexpr CaptionText mnuMap{"Карта", "Map"};
inline constexpr CaptionText mnuPasteWgs84{"Вставляемые координаты в WGS 84 (GPS)",
                                           "Pasted coordinates are WGS 84 (GPS)"};
inline constexpr CaptionText PasteChoice{"Какой лист имеется в виду?", "Which sheet is meant?"};
inline constexpr CaptionText NothingToCopy{"Копировать пока нечего", "Nothing to copy yet"};
inline constexpr CaptionText ExitPrompt{
    "Остались неэкспортированные данные.\r\nЗавершить работу программы?",
    "Exist non-exported data.\r\nExit program?"};
// Followed by the settings file, "': ", the reason and a full stop.
inline constexpr CaptionText SettingsNotSaved{"Не удалось сохранить настройки в файле '",
                                              "Could not save the settings in the file '"};
} // namespace captions

// The language items name themselves in their own language.
inline constexpr const char* kLanguageItem[3] = {"", "Русский", "English"};
inline constexpr const char* kWindowCaption = "Kavu";

} // namespace kavu
