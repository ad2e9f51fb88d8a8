#pragma once
// The design's facts as the tests know them, kept apart from the program's
// own tables, so that a value dropped from those still fails a test. C++
// tests include this header; the shell tests read its DESIGN_FACT lines
// through design-facts.sh, so each line stays one fact: DESIGN_FACT(name,
// "text"). A list of values names each with what an optimize writes into
// it: a number, or the connection's mtu, mss or rwin.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vornix::test::design {

#define DESIGN_FACT(name, text) inline constexpr const char* name = text;
DESIGN_FACT(kProductName, "Vornix Internet Optimizer")
DESIGN_FACT(kProductKey, "SOFTWARE\\Vornix Internet Optimizer")
DESIGN_FACT(kBackupFlag, "备份    ")
DESIGN_FACT(kMethodCount, "6")
// The TCP/IP keys and the values an optimize writes into them, in order.
DESIGN_FACT(kNetTransKey, "System\\CurrentControlSet\\Services\\Class\\NetTrans")
DESIGN_FACT(kNetTransValues, "MaxMTU=mtu MaxMSS=mss")
DESIGN_FACT(kMstcpKey, "System\\CurrentControlSet\\Services\\VxD\\MSTCP")
DESIGN_FACT(kMstcpValues, "DefaultRcvWindow=rwin DefaultTTL=128 PMTUBlackHoleDetect=0 PMTUDiscovery=1 SackOpts=1 Tcp1323Opts=1")
DESIGN_FACT(kParametersKey, "System\\CurrentControlSet\\Services\\Tcpip\\Parameters")
DESIGN_FACT(kParametersValues, "TcpWindowSize=rwin DefaultTTL=128 EnablePMTUBHDetect=0 EnablePMTUDiscovery=1 SackOpts=1 Tcp1323Opts=1")
DESIGN_FACT(kInterfacesKey, "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces")
DESIGN_FACT(kInterfaceValues, "MTU=mtu TcpWindowSize=rwin")
// The backup store: each family's key below the product key, the values it
// holds (NT: MTU is the last interface's), the family key's own values, the
// format it is written in and the subkey of each family's extras.
DESIGN_FACT(kWin9xStore, "Platform_Windows_95_98_ME")
DESIGN_FACT(kWin9xStoreValues, "MaxMTU MaxMSS DefaultRcvWindow DefaultTTL PMTUBlackHoleDetect PMTUDiscovery SackOpts Tcp1323Opts")
DESIGN_FACT(kWin9xStoreExtras, "Texts")
DESIGN_FACT(kNtStore, "Platform_Windows_NT_2K_XP")
DESIGN_FACT(kNtStoreValues, "MTU TcpWindowSize DefaultTTL EnablePMTUBHDetect EnablePMTUDiscovery SackOpts Tcp1323Opts")
DESIGN_FACT(kNtStoreExtras, "Interfaces")
DESIGN_FACT(kStoreOwnValues, "BackupFormat StoredValues AbsentValues")
DESIGN_FACT(kStoreFormat, "3")
// What the stores of earlier versions hold, and always will: the plain store
// (no BackupFormat) and format 2.
DESIGN_FACT(kWin9xFrozenValues, "MaxMTU MaxMSS DefaultRcvWindow DefaultTTL PMTUBlackHoleDetect PMTUDiscovery SackOpts Tcp1323Opts")
DESIGN_FACT(kNtFrozenValues, "MTU TcpWindowSize DefaultTTL EnablePMTUBHDetect EnablePMTUDiscovery SackOpts Tcp1323Opts")
#undef DESIGN_FACT

// What an optimize with the connection's MTU, MSS and receive window
// writes into the values of a list, by name.
inline std::vector<std::pair<std::string, std::int32_t>> Tuned(const std::string& list, std::int32_t mtu = 0,
                                                                std::int32_t mss = 0, std::int32_t rwin = 0) {
    std::vector<std::pair<std::string, std::int32_t>> values;
    std::istringstream words(list);
    for (std::string word; words >> word;) {
        const std::string name = word.substr(0, word.find('=')), what = word.substr(std::min(name.size() + 1, word.size()));
        values.emplace_back(name, what == "mtu"    ? mtu
                                  : what == "mss"  ? mss
                                  : what == "rwin" ? rwin
                                                   : std::atoi(what.c_str()));
    }
    return values;
}

// The names of a list, without what is written into them.
inline std::vector<std::string> Names(const std::string& list) {
    std::vector<std::string> names;
    for (const auto& [name, value] : Tuned(list)) names.push_back(name);
    return names;
}

// The family key of the store below the product key.
inline std::string StoreKey(bool win9x) { return std::string(kProductKey) + "\\" + (win9x ? kWin9xStore : kNtStore); }

}  // namespace vornix::test::design
