#pragma once
// What a right-pane view may offer to the frame's Edit and System menus
// besides the update hints: deleting and copying its selected rows, and a
// print preview, properties. A view that offers none of these need not
// implement it.

namespace dm {

class PaneCommands {
public:
    virtual ~PaneCommands() = default;
    virtual bool CanDeleteSelection() const { return false; }
    virtual void DeleteSelection() {}
    virtual bool CanCopySelection() const { return false; }
    virtual void CopySelection() {}
    virtual bool CanPrintPreview() const { return false; }
    virtual void PrintPreview() {}
    // The Edit menu's Properties for the pane's selection.
    virtual bool CanShowProperties() const { return false; }
    virtual void ShowProperties() {}
};

} // namespace dm
