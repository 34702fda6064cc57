#pragma once

#include <QString>

#include "BootLoader.h"

class VirtualDisk;

// The simulated evaluation board's disk and flash kept in a folder between
// runs, as a real board keeps them while it is off: the disk's files and
// folders under disk/ (names in upper case, as the chip keeps them), the
// flash as flash.bin. A folder that does not hold a board yet starts with
// the board's sample files and erased flash.
class BoardStore {
  public:
    explicit BoardStore(QString folder);

    // Fills the disk and flash from the folder; false (the disk and flash
    // left as they are) when the folder holds no board yet.
    bool load(VirtualDisk& disk, Flash& flash) const;
    // Writes the disk and flash to the folder, replacing what it held.
    bool save(const VirtualDisk& disk, const Flash& flash) const;

    // The folder the program's simulated board uses: TARVIK_SIM_DIR when
    // set, else "simulated-board" in the user's data folder.
    static QString standardFolder();

  private:
    QString folder;
};
