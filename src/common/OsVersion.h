#pragma once
// Operating-system version classes. The card functions and start-up refuse classes
// below kOsClassMinimum. The running Linux system reports itself as the newest class.
#include <string>

namespace vr31k {

enum class OsPlatform { Other = 0, Win9x = 1, NT = 2 };

struct OsVersionRecord {
    OsPlatform platform = OsPlatform::Other;
    unsigned major = 0;
    unsigned minor = 0;
    std::string servicePack;  // service-pack text, may be blank
};

inline constexpr int kOsClassMinimum = 7;

int OsVersionClassOf(const OsVersionRecord& record);
// The record the running system is described by.
OsVersionRecord CurrentOsVersionRecord();
int GetOsVersionClass();

}  // namespace vr31k
