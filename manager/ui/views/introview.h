#pragma once
// The right pane while nothing is selected: the product name, "Version 1.40"
// and the maker's contact block. Once it has been drawn, the document notes
// that start-up is complete (the tree reports selections only after that).

#include <QWidget>

namespace dm {

class CDMDoc;

class CIntroView : public QWidget {
    Q_OBJECT
public:
    explicit CIntroView(CDMDoc& doc, QWidget* parent = nullptr);
    static QString VersionText() { return QStringLiteral("Version 1.40"); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CDMDoc& m_doc;
};

} // namespace dm
