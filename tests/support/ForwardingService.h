#pragma once
// Passes every call to a real dial-up service; tests override the calls they want to
// fail or to answer themselves.
#include "platform/DialupService.h"

namespace vr31k::test {

class CForwardingService : public IDialupService {
public:
    explicit CForwardingService(IDialupService& inner) : m_inner(inner) {}
    int ValidateEntryName(const std::string& p, const std::string& n) override { return m_inner.ValidateEntryName(p, n); }
    int GetEntryProperties(const std::string& p, const std::string& n, EntryProperties& o) override {
        return m_inner.GetEntryProperties(p, n, o);
    }
    int SetEntryProperties(const std::string& p, const std::string& n, const EntryProperties& e) override {
        return m_inner.SetEntryProperties(p, n, e);
    }
    int GetEntryDialParams(const std::string& p, const std::string& n, DialParams& o) override {
        return m_inner.GetEntryDialParams(p, n, o);
    }
    int SetEntryDialParams(const std::string& p, const DialParams& d, bool r) override {
        return m_inner.SetEntryDialParams(p, d, r);
    }
    int EnumEntries(const std::string& p, std::vector<std::string>& n) override { return m_inner.EnumEntries(p, n); }
    int RenameEntry(const std::string& p, const std::string& a, const std::string& b) override {
        return m_inner.RenameEntry(p, a, b);
    }
    int DeleteEntry(const std::string& p, const std::string& n) override { return m_inner.DeleteEntry(p, n); }
    int WriteEntryKey(const std::string& p, const std::string& n, const std::string& k, const std::string& v) override {
        return m_inner.WriteEntryKey(p, n, k, v);
    }
    void RegisterDevice(const DialDevice& d) override { m_inner.RegisterDevice(d); }
    int EnumDevices(std::vector<DialDevice>& o) override { return m_inner.EnumDevices(o); }
    int Dial(const std::string& p, const DialParams& d, DialNotifier n, ConnHandle& o) override {
        return m_inner.Dial(p, d, std::move(n), o);
    }
    int EnumConnections(std::vector<ConnectionInfo>& o) override { return m_inner.EnumConnections(o); }
    int GetConnectStatus(ConnHandle h, uint32_t& s, int& e) override { return m_inner.GetConnectStatus(h, s, e); }
    int GetConnectionStatistics(ConnHandle h, ConnectionStats& o) override {
        return m_inner.GetConnectionStatistics(h, o);
    }
    int HangUp(ConnHandle h) override { return m_inner.HangUp(h); }
    std::unique_ptr<IConnectionWatch> Watch() override { return m_inner.Watch(); }
    std::string LastErrorDetail() const override { return m_inner.LastErrorDetail(); }

private:
    IDialupService& m_inner;
};

}  // namespace vr31k::test
