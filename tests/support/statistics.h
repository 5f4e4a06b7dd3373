// Order statistics of measured figures; portable, so the Windows benchmarks use them too.
#pragma once

#include <vector>

namespace testsupport {

double Median(std::vector<double> values);
// Nearest-rank percentile, p in (0, 100].
double Percentile(std::vector<double> values, double p);

}  // namespace testsupport
