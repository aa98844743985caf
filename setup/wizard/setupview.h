#pragma once
// The background screen behind the wizard: 256 red bands, bright at the top
// and black at the bottom, with the product's name in italic letters over
// their shadows.

#include <QWidget>

namespace dm {

class CSetupView : public QWidget {
    Q_OBJECT
public:
    explicit CSetupView(QWidget* parent = nullptr);

    // The red of band a of 256.
    static int BandRed(int band) { return 255 - band; }
    // The top of band a in a client area of the given height.
    static int BandTop(int band, int height) { return band * height / 256; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace dm
