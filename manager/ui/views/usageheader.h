#pragma once
// The usage graph's column header. The graph column shows the window as
// "<start> - - - - <end>" between a left and a right arrow; a click on its
// right half steps the window forward, on its left half back.

#include <QHeaderView>

namespace dm {

class UsageHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit UsageHeader(int graphSection, QWidget* parent = nullptr);

    void SetWindowText(const QString& text);
    QString WindowText() const { return m_text; }
    // Where the graph section lies in the header (and the list) as last drawn.
    int GraphLeft() const;
    int GraphWidth() const;

Q_SIGNALS:
    void stepRequested(bool forward);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void OnSectionClicked(int logicalIndex);
    void PaintGraphSection(QPainter& painter, const QRect& rect) const;

    int m_graphSection;
    QString m_text;
    int m_pressX = -1;
};

} // namespace dm
