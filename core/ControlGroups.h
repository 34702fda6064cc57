#pragma once

// The window's control groups, switched as a whole: a running mode switches
// the other modes' groups off, and on again when it ends. The window
// implements this; the modes reach it only through this interface.
class ControlGroups {
  public:
    virtual ~ControlGroups() = default;

    virtual void DisableProgrammerControls() = 0;
    virtual void EnableProgrammerControls() = 0;
    virtual void DisableTerminalControls() = 0;
    virtual void EnableTerminalControls() = 0;
    virtual void DisableSpyControls() = 0;
    virtual void EnableSpyControls() = 0;
};

// A mode run without a window: there are no other modes' controls to switch.
class NoControlGroups final : public ControlGroups {
  public:
    void DisableProgrammerControls() override {}
    void EnableProgrammerControls() override {}
    void DisableTerminalControls() override {}
    void EnableTerminalControls() override {}
    void DisableSpyControls() override {}
    void EnableSpyControls() override {}
};
