#pragma once
// The text a window shows for bytes that this program stores as they came:
// user, server, port and domain names read from the database files, the RAS
// library and the registry. Valid UTF-8 is shown as it is; every other byte
// as the letter of the Windows code page (0xE9 as "é"), the same way as the
// print-outs and the comma-separated files (common/ansitext.h) show it.
//
// A window that shows such a name keeps the stored bytes beside the text for
// what it asks the core about the name: turning the shown text back
// (toStdString) gives UTF-8, which is not the stored name when it held a
// code page byte.

#include "common/ansitext.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <string>
#include <string_view>

namespace dm {

inline QString DisplayText(std::string_view bytes)
{
    return QString::fromStdString(AnsiToUtf8(bytes));
}

// What an edit field that showed DisplayText(stored) holds now: the stored
// bytes when the person left the text as shown, else the typed text.
inline std::string EditedText(const std::string& stored, const QString& shown)
{
    return shown == DisplayText(stored) ? stored : shown.toStdString();
}

// The item data role under which lists and trees keep a shown name's bytes.
constexpr int kStoredNameRole = Qt::UserRole + 16;

inline QVariant StoredName(std::string_view name)
{
    return QByteArray(name.data(), static_cast<qsizetype>(name.size()));
}

// The bytes kept by StoredName, else the shown text (an item that was given
// no stored name, such as a fixed caption).
inline std::string StoredNameOf(const QVariant& stored, const QString& shown)
{
    return stored.isValid() ? stored.toByteArray().toStdString() : shown.toStdString();
}

} // namespace dm
