#pragma once
// The Erlang B formula of traffic engineering: the share of callers turned
// away when `ports` lines are offered `load` Erlangs of random calls and a
// caller who finds every line busy is lost (does not wait).
//
// B is computed by the stable recursion B(0) = 1,
// B(n) = A·B(n−1) / (n + A·B(n−1)), which never forms the large powers
// and factorials of the closed formula.

#include <optional>

namespace dm {

// B(load, ports). No load is never blocked (0); with load and no ports
// every caller is (1). A negative or non-finite load counts as no load.
double ErlangB(double load, int ports);

// The least number of ports whose blocking for `load` is at most
// `gradeOfService` (a fraction above 0 and below 1). No load needs no port.
// Returns nullopt for a grade of service outside (0, 1).
std::optional<int> PortsNeeded(double load, double gradeOfService);

// The offered load A whose carried part A·(1 − B(A, ports)) equals
// `carried`: what the callers asked for, estimated from what the ports
// carried. Returns nullopt when no load fits: `carried` reaches the number
// of ports (the lines were full the whole time, any load could have been
// offered) or there are no ports while something was carried.
std::optional<double> OfferedLoad(double carried, int ports);

// The most load `ports` ports carry at a blocking of at most `gradeOfService`.
double LoadAtGradeOfService(int ports, double gradeOfService);

} // namespace dm
