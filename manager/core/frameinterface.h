#pragma once
// What the document asks of the main frame. The window layer implements it;
// tests fake it.

namespace dm {

class FrameInterface {
public:
    virtual ~FrameInterface() = default;
    // Rebuilds the right pane for a node kind and the document's view mode.
    virtual void SwitchView(int kind) = 0;
};

} // namespace dm
