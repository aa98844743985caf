#pragma once
// The text of a PDF file as pdftotext gives it (pages end with a form feed);
// empty when the file cannot be read.

#include <string>

namespace dm::test {

std::string PdfText(const std::string& pdfPath);

} // namespace dm::test
