#pragma once

// The spy's option flags: copies of the view's "Track Commands", "Input is
// Hex" and "Extended Cmd Set". The capture and the decoders read only these
// copies, refreshed whenever one of them changes, so a change takes effect
// at the next byte fed to a decoder.
struct SpyOptions {
    bool TrackCommands = true;
    bool HexNumberInput = true;
    bool ExtendedCommandSet = true;
};
