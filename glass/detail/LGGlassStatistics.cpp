#include "glass/detail/LGGlassStatistics.h"

LGGlassStatistics& LGGlassStatisticsShared() {
    static LGGlassStatistics statistics;
    return statistics;
}
