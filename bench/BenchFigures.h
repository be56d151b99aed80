// Timings of whole runs, reported as the median with the min–max.
#pragma once

#include <QString>
#include <algorithm>
#include <vector>

struct Figures {
    std::vector<double> v; // milliseconds, one a run
    double Median() const
    {
        std::vector<double> s = v;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0 : s[s.size() / 2];
    }
    QString Text() const
    {
        if (v.empty())
            return QStringLiteral("n/a");
        const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        return QStringLiteral("%1 ms (%2–%3)").arg(Median(), 0, 'f', 0).arg(*lo, 0, 'f', 0).arg(*hi, 0, 'f', 0);
    }
};
