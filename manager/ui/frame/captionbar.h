#pragma once
// The frame's own caption: a band with the program's icon and the title
// "Dialminder", drawn in the active or inactive caption colours as the main
// window gains or loses activation.

#include <QWidget>

namespace dm {

class CCaptionBar : public QWidget {
    Q_OBJECT
public:
    explicit CCaptionBar(QWidget* parent = nullptr);
    QString Title() const { return m_title; }
    bool IsActiveLook() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_title = QStringLiteral("Dialminder");
};

} // namespace dm
