#include "common/OsVersion.h"

namespace vr31k {

int OsVersionClassOf(const OsVersionRecord& r) {
    switch (r.platform) {
    case OsPlatform::Win9x: {
        if (r.minor < 10) return 1;
        if (r.minor >= 90) return 4;
        const bool hasServicePack = r.servicePack.find_first_not_of(' ') != std::string::npos;
        return hasServicePack ? 3 : 2;
    }
    case OsPlatform::NT:
        if (r.major <= 2) return 0;
        switch (r.major) {
        case 3: return 5;
        case 4: return 6;
        case 5: return r.minor == 0 ? 7 : 8;
        case 6: return 10;
        default: return 8;
        }
    case OsPlatform::Other:
        break;
    }
    return 0;
}

OsVersionRecord CurrentOsVersionRecord() {
    // Linux offers every service the program needs: describe it as the newest class.
    return OsVersionRecord{OsPlatform::NT, 6, 2, ""};
}

int GetOsVersionClass() { return OsVersionClassOf(CurrentOsVersionRecord()); }

}  // namespace vr31k
