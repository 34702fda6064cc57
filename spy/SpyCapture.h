#pragma once

#include <QChar>
#include <QColor>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "AnswerDecoder.h"
#include "CaptureStamp.h"
#include "CommandDecoder.h"
#include "DeviceLink.h"
#include "ModeLoop.h"
#include "SpyOptions.h"
#include "SpyPanes.h"

class Clock;
class ControlGroups;
class PaneLines;
class SpyView;
struct ModeFlags;

// Spy Mode: both channels of the bridge as passive receivers of the chip's
// serial link (channel A hears what the chip transmits, channel B what it
// receives), every byte shown in both panes in the colour of its direction,
// stamped with the milliseconds since the capture began, and fed to the
// decoders that name the monitor's commands and answers. Nothing is ever
// written to the board.
class SpyCapture : private LinkFollower {
  public:
    struct Services {
        DeviceLink& link;
        ModeFlags& flags;
        ControlGroups& groups;
        Clock& clock;
    };

    SpyCapture(Services services, SpyView& view, PaneLines& asciiPane /*RichEdit1*/,
               PaneLines& hexPane /*RichEdit2*/);

    // Opens both channels and runs the capture loop until Close Spy, the
    // window's closing or a failed queue query: it returns only when the
    // capture has ended and its channels are closed.
    void open();
    void close();
    // Applies the view's baud rate and the spy's line settings to whichever
    // channels are open. False, with a message, when the view's rate text is
    // not a rate the bridge can run at; nothing is changed then.
    bool ApplySpyPortSettings();
    void clearWindows();
    void RefreshSpyOptions();

    // One pass: reads what waits on each channel and shows it; the number
    // of bytes it read.
    std::uint32_t CapturePass();
    // Builds the data lines of one pass from the first countA bytes of
    // ReadBufferA and countB of ReadBufferB, and feeds the decoders.
    void ShowCapturedBytes(const QString& timeText, std::uint32_t countA, std::uint32_t countB);

    SpyPanes& panes() { return spyPanes; }
    const SpyOptions& options() const { return spyOptions; }
    CommandDecoder& commandDecoder() { return commands; }
    AnswerDecoder& answerDecoder() { return answers; }
    TimeOfDay SpyStartTime() const { return stamp.startTime(); }

  private:
    // The link's switches, followed inside the pass that carried them.
    void followCommandSet(bool extended) override;
    void followNumberInput(bool hex) override;
    void followBaudRate(std::optional<std::uint32_t> rate) override;

    bool deviceChosen();
    // Opens one of the chosen board's channels as a listener: latency and
    // event character set on it.
    bool openChannel(bool (DeviceLink::*open)(), void (DeviceLink::*select)());
    std::optional<std::uint32_t> chosenBaudRate();
    void startCapture();
    void captureLoop();
    void endCapture();
    std::uint32_t readChannel(std::uint32_t (DeviceLink::*read)(std::uint32_t));
    void showDirection(const std::array<std::uint8_t, DeviceLink::BufferSize>& bytes,
                       std::uint32_t count, const QString& timeText, const QColor& colour);

    Services services;
    SpyView& view;
    SpyOptions spyOptions;
    SpyPanes spyPanes;
    CommandDecoder commands;
    AnswerDecoder answers;
    CaptureStamp stamp;
    ModeLoop loop;
    // A queue query failed during this capture: the board has gone away.
    bool linkFailed = false;
};

// The byte as the ASCII pane shows it: CR, "$", digits, ":", ">", letters
// and the backslash as themselves, every other byte as ".".
QChar SpyVisibleChar(std::uint8_t b);
