#include "tests/support/pdftext.h"

#include "tests/support/tempdir.h"

#include <sys/wait.h>
#include <unistd.h>

namespace dm::test {

std::string PdfText(const std::string& pdfPath)
{
    const std::string out = pdfPath + ".txt";
    const pid_t child = ::fork();
    if (child == 0) {
        ::execlp("pdftotext", "pdftotext", "-layout", pdfPath.c_str(), out.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::string();
    return ReadFile(out);
}

} // namespace dm::test
