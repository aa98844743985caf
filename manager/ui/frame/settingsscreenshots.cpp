#include "manager/ui/frame/settingsscreenshots.h"

#include "framework/propertysheet.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/dialogs/greetingsdialog.h"
#include "manager/ui/dialogs/logfilesdialog.h"
#include "manager/ui/dialogs/permissionsdialog.h"
#include "manager/ui/dialogs/variablebutton.h"
#include "manager/ui/sheets/servermaint.h"
#include "manager/ui/sheets/systemnotify.h"
#include "manager/ui/sheets/systemsettingssheet.h"

#include "manager/ui/frame/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QTreeWidget>

#include <atomic>
#include <cstdio>
#include <memory>

namespace dm {

namespace {

bool SavePixmap(const QPixmap& pixmap, const QDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    const bool ok = pixmap.save(path);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

bool Save(QWidget* widget, const QDir& dir, const QString& name)
{
    SettleEvents(80);
    return SavePixmap(widget->grab(), dir, name);
}

// The first monitored server whose component settings can be read.
int ReadableServer(CDMDoc& doc)
{
    for (int i = 0; i < static_cast<int>(doc.Servers().size()); ++i) {
        ComponentSettings settings;
        if (doc.Remote().ReadComponentSettings(doc.Servers()[static_cast<size_t>(i)].name, settings))
            return i;
    }
    return -1;
}

// Runs the dialog's export or import and saves its picture while the worker
// is held at its first account; false when no picture was taken or the run
// did not finish.
bool SaveRunningTransfer(CPermissionsDialog& dialog, const QString& server, const QString& file, const QDir& dir,
                         const QString& name)
{
    dialog.ServerField()->setText(server);
    dialog.FileField()->setText(file);
    dialog.show();
    bool saved = false;
    std::atomic<bool> taken{false};
    QObject::connect(
        &dialog, &CPermissionsDialog::statusChanged, &dialog,
        [&] {
            if (taken)
                return;
            QTimer::singleShot(0, &dialog, [&] {
                saved = Save(&dialog, dir, name);
                taken = true;
            });
            while (!taken)
                QThread::msleep(5);
        },
        Qt::DirectConnection);
    const TransferResult result = dialog.Run();
    if (result != TransferResult::Done)
        std::fprintf(stderr, "the %s for %s did not finish\n", qPrintable(dialog.windowTitle()), qPrintable(name));
    dialog.reject();
    return taken.load() && saved && result == TransferResult::Done;
}


} // namespace

bool TakeSettingsScreenshots(CDMDoc& doc, QWidget* owner, const QDir& dir)
{
    bool ok = true;
    {
        std::unique_ptr<CPropertySheet> sheet(CreateSystemSettingsSheet(doc, owner));
        sheet->show();
        ok &= Save(sheet.get(), dir, QStringLiteral("system-general.png"));
        sheet->SetActivePage(1);
        ok &= Save(sheet.get(), dir, QStringLiteral("system-notifications.png"));
        auto* notify = static_cast<CSystemNotify*>(sheet->Page(1));
        notify->Choose(1);
        ok &= Save(sheet.get(), dir, QStringLiteral("system-notifications-2.png"));
        sheet->SetActivePage(2);
        const int server = ReadableServer(doc);
        if (server >= 0)
            static_cast<CServerMaint*>(sheet->Page(2))->ServerList()->setCurrentRow(server);
        ok &= Save(sheet.get(), dir, QStringLiteral("system-server-maintenance.png"));
        sheet->SetActivePage(3);
        ok &= Save(sheet.get(), dir, QStringLiteral("system-database.png"));
        sheet->reject();
    }
    {
        CLogFilesDialog dialog(doc, 0, owner);
        dialog.resize(460, 420);
        dialog.show();
        dialog.ListFiles();
        if (dialog.List()->topLevelItemCount() > 1) {
            dialog.List()->topLevelItem(0)->setSelected(true);
            dialog.List()->topLevelItem(1)->setSelected(true);
        }
        ok &= Save(&dialog, dir, QStringLiteral("log-files.png"));
        dialog.reject();
    }
    if (!doc.Servers().empty()) {
        std::unique_ptr<CPropertySheet> sheet(CreateServerSheet(doc, doc.Servers().front().name, owner));
        sheet->show();
        ok &= Save(sheet.get(), dir, QStringLiteral("server-idle-timeout.png"));
        sheet->reject();
    }
    {
        CGreetingsDialog dialog(doc, owner);
        dialog.show();
        dialog.RuleText()->setFocus(Qt::OtherFocusReason);
        dialog.RuleText()->setCursorPosition(dialog.RuleText()->text().size());
        dialog.Preview();
        SettleEvents(80);
        // The open menu is a window of its own: draw it onto the dialog
        // below the button, where it opens.
        QMenu* menu = dialog.VariableMenu();
        const QPoint at = dialog.VariableButton()->mapTo(&dialog, dialog.VariableButton()->rect().bottomLeft());
        menu->popup(dialog.VariableButton()->mapToGlobal(dialog.VariableButton()->rect().bottomLeft()));
        menu->setActiveAction(menu->actions().value(1));
        SettleEvents(80);
        QPixmap picture = dialog.grab();
        {
            QPainter painter(&picture);
            const QPixmap popup = menu->grab();
            const int x = qMin(at.x(), picture.width() - popup.width());
            painter.drawPixmap(qMax(0, x), at.y(), popup);
        }
        menu->hide();
        ok &= SavePixmap(picture, dir, QStringLiteral("greetings.png"));
        dialog.reject();
    }
    {
        CExportPermissionsDialog dialog(doc, owner);
        dialog.ServerField()->setText(QStringLiteral("HQDC01"));
        dialog.FileField()->setText(QStringLiteral("/home/admin/hq-permissions.txt"));
        dialog.StatusLine()->setText(QStringLiteral("Exporting jmeyer"));
        dialog.show();
        ok &= Save(&dialog, dir, QStringLiteral("permissions-export.png"));
        dialog.reject();
    }
    {
        CImportPermissionsDialog dialog(doc, owner);
        dialog.ServerField()->setText(QStringLiteral("\\\\FLDDC01"));
        dialog.FileField()->setText(QStringLiteral("/home/admin/hq-permissions.txt"));
        dialog.show();
        ok &= Save(&dialog, dir, QStringLiteral("permissions-import.png"));
        dialog.reject();
    }
    {
        // A real export and a real import of the head office domain's own
        // permissions (so nothing changes), each held at its first account
        // while the picture of the running dialog is taken.
        const QString file = QDir::temp().filePath(QStringLiteral("dialmind-screenshot-permissions.txt"));
        {
            CExportPermissionsDialog dialog(doc, owner);
            ok &= SaveRunningTransfer(dialog, QStringLiteral("HQDC01"), file, dir,
                                      QStringLiteral("permissions-export-progress.png"));
        }
        {
            CImportPermissionsDialog dialog(doc, owner);
            ok &= SaveRunningTransfer(dialog, QStringLiteral("HQDC01"), file, dir,
                                      QStringLiteral("permissions-import-progress.png"));
        }
        QFile::remove(file);
    }
    return ok;
}

} // namespace dm
