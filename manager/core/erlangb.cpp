#include "manager/core/erlangb.h"

#include <cmath>

namespace dm {

namespace {

bool NoLoad(double load)
{
    return !std::isfinite(load) || load <= 0.0;
}

} // namespace

double ErlangB(double load, int ports)
{
    if (NoLoad(load))
        return 0.0;
    double b = 1.0;
    for (int n = 1; n <= ports; ++n)
        b = load * b / (n + load * b);
    return b;
}

std::optional<int> PortsNeeded(double load, double gradeOfService)
{
    if (!(gradeOfService > 0.0 && gradeOfService < 1.0))
        return std::nullopt;
    if (NoLoad(load))
        return 0;
    // B falls with every port added and reaches any grade above 0, so the
    // walk ends; each step is one step of the recursion.
    double b = 1.0;
    int n = 0;
    while (b > gradeOfService) {
        ++n;
        b = load * b / (n + load * b);
    }
    return n;
}

std::optional<double> OfferedLoad(double carried, int ports)
{
    if (NoLoad(carried))
        return 0.0;
    if (ports <= 0 || carried >= ports)
        return std::nullopt;
    // The carried part A·(1 − B(A, N)) grows with A towards N: bracket the
    // root, then halve the bracket until it is as narrow as doubles allow.
    auto carriedPart = [ports](double a) { return a * (1.0 - ErlangB(a, ports)); };
    double low = carried;
    double high = carried * 2.0 + 1.0;
    while (carriedPart(high) < carried) {
        low = high;
        high *= 2.0;
        if (!std::isfinite(high))
            return std::nullopt;
    }
    for (int i = 0; i < 200 && high - low > 1e-12 * high; ++i) {
        const double middle = (low + high) / 2.0;
        if (carriedPart(middle) < carried)
            low = middle;
        else
            high = middle;
    }
    return (low + high) / 2.0;
}

double LoadAtGradeOfService(int ports, double gradeOfService)
{
    if (ports <= 0 || !(gradeOfService > 0.0))
        return 0.0;
    if (gradeOfService >= 1.0)
        return INFINITY;
    // B grows with the load: halve a bracket [0, high] with B(high) above the grade.
    double low = 0.0;
    double high = ports + 1.0;
    while (ErlangB(high, ports) <= gradeOfService)
        high *= 2.0;
    for (int i = 0; i < 200 && high - low > 1e-12 * high; ++i) {
        const double middle = (low + high) / 2.0;
        if (ErlangB(middle, ports) > gradeOfService)
            high = middle;
        else
            low = middle;
    }
    return low;
}

} // namespace dm
