#pragma once
// The quick introduction: the help page quickintro.html in the help window.

class QWidget;

namespace dm {

// Opens the page and returns at once, in front of and owned by the modal
// window when one is open (the wizard), else by parent. False when the page
// cannot be found.
bool OpenQuickIntro(QWidget* parent);

} // namespace dm
