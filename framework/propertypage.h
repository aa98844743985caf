#pragma once
// One tab of a CPropertySheet. A page loads its values when it is first shown
// (OnInitPage) and hands them back in OnApply; returning false from OnApply
// refuses, and the sheet stays open on that page. A page whose entries can be
// refused says so in OnCheck, which the sheet asks of every shown page before
// it applies any: a refusal there leaves every file as it was.

#include <QString>
#include <QWidget>

namespace dm {

class CPropertySheet;

class CPropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit CPropertyPage(const QString& title, QWidget* parent = nullptr);

    QString Title() const { return m_title; }
    bool IsInitialized() const { return m_initialized; }
    bool IsModified() const { return m_modified; }
    // Marks the page changed, which enables the sheet's Apply button.
    void SetModified(bool modified = true);

    // The help topic the sheet's Help button opens while this page is active
    // (0: none).
    void SetHelpTopic(int context) { m_helpTopic = context; }
    int HelpTopic() const { return m_helpTopic; }
    // The page asks its sheet for the caption's context-help button.
    void SetWantsContextHelp(bool wants) { m_wantsContextHelp = wants; }
    bool WantsContextHelp() const { return m_wantsContextHelp; }

    // Runs OnInitPage once; the sheet calls it when the page is first shown.
    void EnsureInitialized();
    // Whether the page's entries can be applied (OnCheck).
    bool Check() { return OnCheck(); }
    // Applies the page; on success the page is no longer modified.
    bool Apply();

    CPropertySheet* Sheet() const { return m_sheet; }

Q_SIGNALS:
    void modifiedChanged(bool modified);

protected:
    virtual void OnInitPage() {}
    // Tells the person what is refused and returns false; checks nothing by default.
    virtual bool OnCheck() { return true; }
    virtual bool OnApply() { return true; }

private:
    friend class CPropertySheet;
    QString m_title;
    CPropertySheet* m_sheet = nullptr;
    bool m_initialized = false;
    bool m_modified = false;
    bool m_wantsContextHelp = false;
    int m_helpTopic = 0;
};

} // namespace dm
