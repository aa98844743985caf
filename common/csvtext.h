#pragma once
// Comma-separated text without Qt, so that the windows and dmctl form the
// same bytes.
//
// The list panes' form: every field, the last one included, is followed by
// a comma, and an empty field is written as `emptyField` (one blank by
// default), so that a reader that splits on commas always sees the same
// number of fields. Fields are written as they are (the panes' texts hold no
// commas of their own), except that bytes that are not UTF-8 become the
// Windows code page's letters, as every window and print-out shows them.
//
// The quoting form of the outputs for scripts (dmctl log list, the --csv of
// dmctl policy explain), whose fields are free text: QuotedCsvField.

#include <string>
#include <string_view>
#include <vector>

namespace dm {

using CsvFields = std::vector<std::string>;

// Appends one field of such a line with its comma: "a," or " ," when empty.
void AppendCsvField(std::string& out, std::string_view field, std::string_view emptyField = " ");
// Appends "a,b, ,<lineEnd>" for fields {"a", "b", ""}.
void AppendCsvLine(std::string& out, const CsvFields& fields, std::string_view lineEnd = "\n",
                   std::string_view emptyField = " ");
std::string CsvLine(const CsvFields& fields, std::string_view lineEnd = "\n",
                    std::string_view emptyField = " ");

// The field as it is, or, when it holds a comma, a double quote or a line
// break, in double quotes with each of its double quotes doubled; bytes that
// are not UTF-8 become the Windows code page's letters, as in AppendCsvLine.
std::string QuotedCsvField(std::string_view text);

// At most maxBytes of text, cut before a UTF-8 sequence rather than inside it.
std::string_view CutCsvField(std::string_view text, std::size_t maxBytes);

} // namespace dm
