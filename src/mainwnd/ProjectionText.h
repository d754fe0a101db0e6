#pragma once
// Where the current period's charge is heading, in words: the line the totals' month
// page and the status dialog show, and whether it needs the warning look. The warning
// is the projection's own (the same as `vr31kctl usage` prints).
#include "accounting/PeriodProjection.h"

#include <string>

namespace vr31k {

struct ProjectionText {
    std::string text;         // the line; its "---" form when there is nothing to project
    bool shown = false;       // a period with an end, under a complete plan
    bool warning = false;     // heading past the notice amount or the cap
    std::string warningText;  // the warning's one line; empty without one
    bool operator==(const ProjectionText&) const = default;
};

ProjectionText FormatProjection(const PeriodProjection& projection);

}  // namespace vr31k
