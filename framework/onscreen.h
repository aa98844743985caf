#pragma once
// Keeps windows whole on their screen: a window larger than the screen's
// free area is made to fit (as far as its minimum size allows) and one that
// lies partly outside is moved in. Installed once on the application, it
// acts on every top-level window when it is first shown, so an 800x600
// screen shows every dialog and help window whole.

#include <QObject>
#include <QRect>

class QWidget;

namespace dm {

// The rectangle a window of this frame geometry should take in area: the
// same size where it fits, smaller where it does not (never below minimum),
// moved in so that its top-left corner is on the area.
QRect FitIntoArea(const QRect& frame, const QSize& minimum, const QRect& area);

// Fits and moves a top-level window onto the screen it is on.
void KeepOnScreen(QWidget* window);

class OnScreenGuard : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Installs one guard on the application.
    static void Install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace dm
