#pragma once

// The spy's option flags: copies of the page's "Track Commands", "Input is
// Hex" and "Extended Cmd Set" controls. The capture and the decoders read
// only these copies, refreshed whenever one of the controls changes, so a
// change takes effect at the next byte fed to a decoder.
struct SpyOptions {
    bool TrackCommands = true;
    bool HexNumberInput = true;
    bool ExtendedCommandSet = true;
};
