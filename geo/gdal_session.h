// One GDAL call site's set-up: drivers registered, the last error cleared, and GDAL's own
// messages kept off the terminal (the caller reports CPLGetLastErrorMsg() in its own words).
#pragma once

#include <cpl_error.h>
#include <gdal.h>

namespace kavu::geo {

class QuietGdal {
  public:
    QuietGdal() {
        GDALAllRegister();
        CPLErrorReset();
        CPLPushErrorHandler(CPLQuietErrorHandler);
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
};

} // namespace kavu::geo
