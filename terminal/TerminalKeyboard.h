#pragma once

#include <array>
#include <cstdint>

class DeviceLink;
class PaneLines;
class TerminalDisplay;

// What the user types into the ASCII pane goes to the chip's monitor: each
// key is staged and the staged bytes go out in one write at Enter. The line
// being typed is kept as a record, and the last eleven records can be
// recalled one by one into the Programmer Mode pane.
class TerminalKeyboard {
  public:
    static constexpr int TypedLineSlots = 128;
    static constexpr int HistoryEntries = 11;
    // A recalled line shows one slot fewer than the record holds.
    static constexpr int RecalledLineLength = 127;
    static constexpr char RecallKey = 0;
    static constexpr char EnterKey = 0x0D;
    static constexpr char BackspaceKey = 0x08;

    using LineRecord = std::array<std::int32_t, TypedLineSlots>;

    TerminalKeyboard(DeviceLink& link, TerminalDisplay& display, PaneLines& recallPane /*Memo1*/);

    // The key is left as it is: the pane shows it by its own editing.
    void Memo2KeyPress(char& key);
    void PushLineHistory(const LineRecord& record);
    LineRecord RotateLineHistory();
    void ShowRecalledLine(const LineRecord& record);
    // The start values of window creation.
    void reset();

    LineRecord TypedLine{};
    std::int32_t TypedLineLength = 0;
    std::array<LineRecord, HistoryEntries> LineHistory{};

  private:
    void startFreshLine();
    void recallLine();
    void stageKey(char key);
    void sendStaged();
    void takeBackBackspace();

    DeviceLink& link;
    TerminalDisplay& display;
    PaneLines& recallPane;
};
