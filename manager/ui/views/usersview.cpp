#include "manager/ui/views/usersview.h"
#include "framework/displaytext.h"

#include "common/userinteraction.h"
#include "framework/csvexport.h"
#include "framework/icons.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"
#include "manager/core/networkaccounts.h"
#include "manager/core/sortdirection.h"
#include "manager/core/userstable.h"
#include "manager/ui/dialogs/checkaccessdialog.h"
#include "manager/ui/sheets/usersheet.h"
#include "manager/ui/views/usersmodel.h"

#include <QHeaderView>
#include <QMenu>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace dm {

CUsersView::CUsersView(CDMDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    m_model = new UsersModel(this);
    m_list = new QTreeView(this);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setModel(m_model);
    m_list->header()->setSectionsClickable(true);
    // No arrow until a header is clicked, but room for one in every header.
    m_list->header()->setSortIndicator(-1, Qt::AscendingOrder);
    m_list->header()->setSortIndicatorShown(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    setFocusProxy(m_list);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &CUsersView::SortByColumn);
    connect(m_list, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            OpenSheetOfRow(index.row());
    });
    connect(m_list, &QTreeView::customContextMenuRequested, this, &CUsersView::ShowPopupMenu);
    m_personWidth.assign(UsersColumnCount, false);
    connect(m_list->header(), &QHeaderView::sectionResized, this, [this](int column, int, int) {
        if (!m_sizing && column >= 0 && column < static_cast<int>(m_personWidth.size()))
            m_personWidth[static_cast<std::size_t>(column)] = true;
    });
    m_doc.AddObserver(this);
}

CUsersView::~CUsersView()
{
    m_doc.RemoveObserver(this);
}

void CUsersView::SetUp()
{
    // Until the rows are in, each column is as wide as its header's text;
    // then as wide as its contents (FitColumnsToContents).
    QHeaderView* header = m_list->header();
    m_sizing = true;
    for (int column = 0; column < UsersColumnCount; ++column)
        header->resizeSection(column, header->sectionSizeHint(column));
    m_sizing = false;
    m_setUp = true;
    m_doc.LoadUserSettings();
}

void CUsersView::OnDocumentUpdate(DocumentObserver*, int hintValue)
{
    switch (hintValue) {
    case hint::SaveAs: SaveAs(); return;
    case hint::Print: ListPrinter::PrintWithDialog(Printout(), this); return;
    default:
        // Hint 10 too: the account icons follow the display option.
        if (!m_setUp)
            SetUp();
        Refill();
    }
}

void CUsersView::Refill()
{
    WaitCursor wait(m_doc.Interaction());
    const Selection& selection = m_doc.CurrentSelection();
    UsersFilter filter;
    filter.domain = selection.domain;
    filter.group = selection.group;
    filter.user = selection.user;
    filter.members = UsersFilterMembers(filter, m_doc.Interaction());

    const std::vector<UserRecord>& records = m_doc.UserTable();
    std::vector<int> rows = FilterUserRows(records, filter);
    std::vector<QIcon> icons(rows.size());
    const bool dialInIcons = m_doc.Settings().userIcons;
    // The rows that show their dial-in permission, by domain: each domain's
    // controller is found once and its accounts read once for all of them.
    std::map<std::string, std::vector<std::size_t>> byDomain;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (const int state = m_doc.UserLimitState(rows[i]); state != 0 || !dialInIcons) {
            icons[i] = Icons::HistoryImage(UserRowIcon(state));
            continue;
        }
        const std::string& key = records[static_cast<std::size_t>(rows[i])].accountKey;
        byDomain[key.substr(0, key.find('\\'))].push_back(i);
    }
    for (const auto& [domain, positions] : byDomain) {
        std::vector<std::string_view> names;
        names.reserve(positions.size());
        for (std::size_t i : positions) {
            const std::string& key = records[static_cast<std::size_t>(rows[i])].accountKey;
            names.push_back(std::string_view(key).substr(key.rfind('\\') + 1));
        }
        const auto controller = NetworkAccounts::FindDomainController(domain);
        const std::vector<std::uint8_t> bits = controller ? m_doc.GetUserRasPermissions(*controller, names)
                                                          : std::vector<std::uint8_t>(names.size(), 0);
        for (std::size_t n = 0; n < positions.size(); ++n)
            icons[positions[n]] = Icons::TreeImage((bits[n] & 8) != 0 ? 8 : 14);
    }
    m_sizing = true;
    m_model->Fill(records, std::move(rows), std::move(icons));
    m_sizing = false;
    if (m_fitPending && m_model->rowCount() > 0) {
        m_fitPending = false;
        FitColumnsToContents();
    }
}

bool CUsersView::WidthSetByPerson(int column) const
{
    return column >= 0 && column < static_cast<int>(m_personWidth.size()) &&
           m_personWidth[static_cast<std::size_t>(column)];
}

void CUsersView::FitColumnsToContents()
{
    m_sizing = true;
    for (int column = 0; column < UsersColumnCount; ++column) {
        if (!WidthSetByPerson(column))
            m_list->resizeColumnToContents(column);
    }
    m_sizing = false;
}

void CUsersView::SortByColumn(int column)
{
    int& direction = SharedSortDirection();
    m_model->Sort(m_doc.UserTable(), column, direction);
    const bool ascending = UserSortAscends(column, direction);
    m_list->header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    m_list->header()->setSortIndicatorShown(true);
    direction = -direction;
}

std::vector<std::string> CUsersView::SelectedAccounts() const
{
    std::set<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        rows.insert(index.row());
    std::vector<std::string> accounts;
    for (int row : rows)
        accounts.push_back(m_model->Texts(row)[UsersColumnUser]);
    return accounts;
}

void CUsersView::ReloadAfterChange()
{
    WaitCursor wait(m_doc.Interaction());
    // A reload even when the save changed nothing in the file; the document
    // then tells every view, this one included.
    m_doc.Users().Invalidate();
    m_doc.RefreshDocument();
}

void CUsersView::OpenSheetOfRow(int row)
{
    if (!m_doc.DatabaseAvailable() || row < 0 || row >= m_model->rowCount())
        return;
    const std::string account = m_model->Texts(row)[UsersColumnUser];
    if (!RunUserSheet(m_doc, account, DisplayText(account), UserSheetPages::All, window()))
        return;
    m_doc.SaveUserSettings();
    ReloadAfterChange();
}

bool CUsersView::CanShowProperties() const
{
    return m_list->selectionModel()->hasSelection();
}

void CUsersView::ShowProperties()
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    const std::string account = m_model->Texts(rows.last().row())[UsersColumnUser];
    if (!RunUserSheet(m_doc, account, DisplayText(account), UserSheetPages::WithoutNtRas, window()))
        return;
    m_doc.SaveUserSettings();
    ReloadAfterChange();
}

bool CUsersView::CanDeleteSelection() const
{
    return m_list->selectionModel()->hasSelection();
}

void CUsersView::DeleteSelection()
{
    const std::vector<std::string> accounts = SelectedAccounts();
    if (accounts.empty())
        return;
    // One question per account, one reload after all of them, which tells
    // the views.
    m_doc.DeleteUserAccounts(accounts);
}

bool CUsersView::CanCopySelection() const
{
    return m_list->selectionModel()->hasSelection();
}

void CUsersView::CopySelection()
{
    std::set<int> selected;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        selected.insert(index.row());
    std::vector<int> records;
    for (int row : selected)
        records.push_back(m_model->RecordIndex(row));
    CsvExport::CopyToClipboard(UsersClipboardText(m_doc.UserTable(), records));
}

void CUsersView::SaveAs(const QString& chosen)
{
    const QString path = chosen.isEmpty() ? CsvExport::AskSaveFileName(this) : chosen;
    if (path.isEmpty())
        return;
    if (!CsvExport::WriteText(path, UsersCsv(m_doc.UserTable(), m_model->Rows())))
        m_doc.Interaction().ShowMessage("Error opening file for output.", kMessageCaption, Buttons::Ok, Icon::Error);
}

ListPrintout CUsersView::Printout() const
{
    ListPrintout out;
    out.title = QStringLiteral("User Accounts in Dialminder");
    for (int column = 0; column < UsersColumnCount; ++column)
        out.headers << QString::fromLatin1(UsersColumns()[static_cast<std::size_t>(column)].printHeader);
    out.rowCount = m_model->rowCount();
    const UsersModel* model = m_model;
    out.cell = [model](int row, int column) {
        return DisplayText(model->Texts(row)[static_cast<std::size_t>(column)]);
    };
    return out;
}

void CUsersView::PrintPreview()
{
    ListPrinter::Preview(Printout(), this);
}

void CUsersView::ShowPopupMenu(const QPoint& position)
{
    const bool selected = m_list->selectionModel()->hasSelection();
    QMenu menu(this);
    menu.addAction(QStringLiteral("&Copy to Clipboard"), this, &CUsersView::CopySelection)->setEnabled(selected);
    menu.addSeparator();
    menu.addAction(QStringLiteral("&Delete"), this, &CUsersView::DeleteSelection)->setEnabled(selected);
    menu.addSeparator();
    menu.addAction(QStringLiteral("&Properties"), this, &CUsersView::ShowProperties)->setEnabled(selected);
    menu.addAction(QStringLiteral("Check &Access..."), this, [this] {
        const QModelIndexList rows = m_list->selectionModel()->selectedRows();
        if (rows.isEmpty())
            return;
        RunCheckAccess(m_doc, m_model->Texts(rows.last().row())[UsersColumnUser], m_doc.CurrentSelection().server,
                       std::string(), window());
    })->setEnabled(selected);
    menu.exec(m_list->viewport()->mapToGlobal(position));
}

} // namespace dm
