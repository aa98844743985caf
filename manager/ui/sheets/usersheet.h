#pragma once
// The user property sheet and its three openers' forms.

#include <QString>

#include <string>

class QWidget;

namespace dm {

class CDMDoc;
class CPropertySheet;

enum class UserSheetPages { WithoutNtRas, All };

// "Properties for <title>" with General, Time Restrictions, IP Address and,
// with All, NT RAS, each for the account key DOMAIN\user.
CPropertySheet* CreateUserSheet(CDMDoc& doc, const std::string& account, const QString& title,
                                UserSheetPages pages, QWidget* parent);

// Runs the sheet modally; true when it ended with OK.
bool RunUserSheet(CDMDoc& doc, const std::string& account, const QString& title, UserSheetPages pages,
                  QWidget* parent);

} // namespace dm
