#include "TerminalKeyboard.h"

#include <algorithm>

#include "DeviceLink.h"
#include "PaneLines.h"
#include "TerminalDisplay.h"

namespace {
constexpr std::int32_t Blank = 0x20;

TerminalKeyboard::LineRecord blankRecord() {
    TerminalKeyboard::LineRecord record;
    record.fill(Blank);
    return record;
}

// A recalled slot's character, from the low 8 bits of its code. A control
// character (the Enter that ended the line, a Backspace kept in the record)
// would break the pane's line or vanish from it, so it is shown by its
// control picture: the recall stays one line of 127 characters and shows
// where Enter was pressed.
QChar recalledCharacter(std::int32_t code) {
    constexpr char16_t ControlPictures = 0x2400;
    constexpr char16_t DeletePicture = 0x2421;
    const auto byte = static_cast<char16_t>(code & 0xFF);
    if (byte < Blank) {
        return QChar(ControlPictures + byte);
    }
    return QChar(byte == 0x7F ? DeletePicture : byte);
}
}  // namespace

TerminalKeyboard::TerminalKeyboard(DeviceLink& link, TerminalDisplay& display,
                                   PaneLines& recallPane)
    : link(link), display(display), recallPane(recallPane) {
    reset();
}

void TerminalKeyboard::reset() {
    TypedLine = blankRecord();
    TypedLineLength = 0;
    LineHistory.fill(TypedLine);
}

void TerminalKeyboard::Memo2KeyPress(char& key) {
    if (!link.ChannelAOpen) {
        return;
    }
    if (display.OutputLineDone) {
        display.OutputLineDone = false;
        startFreshLine();
    }
    if (key == RecallKey) {
        recallLine();
        return;
    }
    stageKey(key);
    if (key == EnterKey) {
        sendStaged();
    } else if (key == BackspaceKey) {
        takeBackBackspace();
    }
}

void TerminalKeyboard::startFreshLine() {
    TypedLineLength = 0;
    TypedLine = blankRecord();
}

void TerminalKeyboard::recallLine() {
    // The length stays as typed: only the slots come back.
    TypedLine = RotateLineHistory();
    ShowRecalledLine(TypedLine);
}

void TerminalKeyboard::stageKey(char key) {
    if (TypedLineLength < TypedLineSlots) {
        TypedLine[static_cast<std::size_t>(TypedLineLength++)] = static_cast<std::uint8_t>(key);
    }
    link.PutByteA(static_cast<std::uint8_t>(key));
}

void TerminalKeyboard::sendStaged() {
    display.tapTyped(
        QByteArrayView(reinterpret_cast<const char*>(link.WriteBufferA.data()), link.WriteCountA));
    link.SendStagedA();
    PushLineHistory(TypedLine);
}

void TerminalKeyboard::takeBackBackspace() {
    // The backspace itself and the byte it erases; with nothing before it
    // the staging is left empty rather than negative.
    link.TakeBackStagedA(2);
}

void TerminalKeyboard::PushLineHistory(const LineRecord& record) {
    std::move_backward(LineHistory.begin(), LineHistory.end() - 1, LineHistory.end());
    LineHistory.front() = record;
}

TerminalKeyboard::LineRecord TerminalKeyboard::RotateLineHistory() {
    std::rotate(LineHistory.begin(), LineHistory.begin() + 1, LineHistory.end());
    return LineHistory.back();
}

void TerminalKeyboard::ShowRecalledLine(const LineRecord& record) {
    QString text(RecalledLineLength, QLatin1Char(' '));
    for (int i = 0; i < RecalledLineLength; ++i) {
        text[i] = recalledCharacter(record[static_cast<std::size_t>(i)]);
    }
    recallPane.addLine(text);
    recallPane.flush();
}
