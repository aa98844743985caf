// librassapi.so: the RAS server administration library over the emulated
// network. Every entry point reads or changes one computer's ras.ini (ports)
// or accounts.ini (RAS permissions) and answers in the platform's structures.

#include "platform/ras/rassapi/rassapi.h"

#include "platform/accounts/accountdatabase.h"
#include "platform/files/network.h"
#include "platform/ras/rasportstore.h"
#include "platform/ras/rassapi/bufferregistry.h"
#include "platform/system/widetext.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

using dm::rassapi::AllocateBuffer;

namespace {

std::string ServerName(const WCHAR* server) { return dm::FromWide(server); }

// An account given as "DOMAIN\name" is looked up by its name.
std::string AccountName(const WCHAR* user)
{
    std::string name = dm::FromWide(user);
    if (auto slash = name.rfind('\\'); slash != std::string::npos)
        name.erase(0, slash + 1);
    return name;
}

void FillPort0(RAS_PORT_0& out, const dm::RasPortRecord& r)
{
    std::memset(&out, 0, sizeof out);
    dm::CopyToWideField(out.wszPortName, RASSAPI_MAX_PORT_NAME, r.name);
    dm::CopyToWideField(out.wszDeviceType, RASSAPI_MAX_DEVICETYPE_NAME, r.deviceType);
    dm::CopyToWideField(out.wszDeviceName, RASSAPI_MAX_DEVICE_NAME, r.deviceName);
    dm::CopyToWideField(out.wszMediaName, RASSAPI_MAX_MEDIA_NAME, r.mediaName);
    out.MediaType = r.mediaType;
    out.Flags = r.flags;
    dm::CopyToWideField(out.wszUserName, RASSAPI_UNLEN + 1, r.user);
    dm::CopyToWideField(out.wszComputer, RASSAPI_NETBIOS_NAME_LEN, r.computer);
    out.dwStartSessionTime = r.sessionStart;
    dm::CopyToWideField(out.wszLogonDomain, RASSAPI_DNLEN + 1, r.logonDomain);
    out.fAdvancedServer = r.advancedServer ? 1 : 0;
}

void FillPort1(RAS_PORT_1& out, const dm::RasPortRecord& r)
{
    std::memset(&out, 0, sizeof out);
    FillPort0(out.rasport0, r);
    out.LineCondition = r.lineCondition;
    out.HardwareCondition = r.hardwareCondition;
    out.LineSpeed = r.lineSpeed;
    out.NumStatistics = RAS_PORT_STATISTICS_COUNT;
    auto& p = out.ProjResult;
    p.nbf.dwError = r.nbfError;
    p.nbf.dwNetBiosError = r.nbfNetBiosError;
    dm::CopyToField(p.nbf.szName, sizeof p.nbf.szName, r.nbfName);
    dm::CopyToWideField(p.nbf.wszWksta, RASSAPI_NETBIOS_NAME_LEN + 1, r.nbfWorkstation);
    p.ip.dwError = r.ip.error;
    dm::CopyToWideField(p.ip.wszAddress, RAS_IPADDRESSLEN + 1, r.ip.address);
    p.ipx.dwError = r.ipx.error;
    dm::CopyToWideField(p.ipx.wszAddress, RAS_IPXADDRESSLEN + 1, r.ipx.address);
    p.at.dwError = r.appleTalk.error;
    dm::CopyToWideField(p.at.wszAddress, RAS_ATADDRESSLEN + 1, r.appleTalk.address);
}

void FillStatistics(RAS_PORT_STATISTICS& out, const dm::RasPortRecord& r)
{
    DWORD* fields[RAS_PORT_STATISTICS_COUNT] = {
        &out.dwBytesXmited,          &out.dwBytesRcved,           &out.dwFramesXmited,
        &out.dwFramesRcved,          &out.dwCrcErr,               &out.dwTimeoutErr,
        &out.dwAlignmentErr,         &out.dwHardwareOverrunErr,   &out.dwFramingErr,
        &out.dwBufferOverrunErr,     &out.dwBytesXmitedUncompressed,
        &out.dwBytesRcvedUncompressed, &out.dwBytesXmitedCompressed, &out.dwBytesRcvedCompressed,
    };
    for (std::size_t i = 0; i < RAS_PORT_STATISTICS_COUNT; ++i)
        *fields[i] = r.counters[i];
}

bool IsNumber(const std::string& text)
{
    return !text.empty() && text.size() <= 10 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The media parameters as one block: the array, then the string data its
// entries point to, so that one RasAdminFreeBuffer releases everything.
RAS_PARAMETERS* BuildParameters(const dm::RasPortRecord& r, DWORD& size)
{
    const std::size_t count = r.mediaParams.size();
    std::size_t textBytes = 0;
    for (const auto& [key, value] : r.mediaParams)
        if (!IsNumber(value))
            textBytes += value.size() + 1;
    size = static_cast<DWORD>(count * sizeof(RAS_PARAMETERS) + textBytes);
    auto* params = static_cast<RAS_PARAMETERS*>(AllocateBuffer(size));
    if (params == nullptr)
        return nullptr;
    char* text = reinterpret_cast<char*>(params + count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto& [key, value] = r.mediaParams[i];
        RAS_PARAMETERS& p = params[i];
        dm::CopyToField(p.P_Key, RASSAPI_MAX_PARAM_KEY_SIZE, key);
        if (IsNumber(value)) {
            p.P_Type = ParamNumber;
            p.P_Value.Number = dm::ParseUnsigned(value);
        } else {
            p.P_Type = ParamString;
            p.P_Value.String.Length = static_cast<DWORD>(value.size());
            p.P_Value.String.Data = text;
            std::memcpy(text, value.data(), value.size());
            text += value.size() + 1;
        }
    }
    return params;
}

const char* ErrorText(UINT code)
{
    switch (code) {
    case 0: return "The operation completed successfully.";
    case 2: return "The system cannot find the file specified.";
    case 5: return "Access is denied.";
    case 8: return "Not enough storage is available to process this command.";
    case 53: return "The network path was not found.";
    case 87: return "The parameter is incorrect.";
    case 122: return "The data area passed to a system call is too small.";
    case ERROR_PORT_NOT_FOUND: return "The port was not found.";
    case ERROR_PROTOCOL_NOT_CONFIGURED: return "The protocol is not configured.";
    case 1060: return "The specified service does not exist as an installed service.";
    case 1722: return "The RPC server is unavailable.";
    case 2221: return "The user name could not be found.";
    default: return nullptr;
    }
}

} // namespace

extern "C" {

DWORD RasAdminPortEnum(const WCHAR* lpszServer, RAS_PORT_0** ppRasPort0, WORD* pcEntriesRead)
{
    if (ppRasPort0 == nullptr || pcEntriesRead == nullptr)
        return dm::winerr::InvalidParameter;
    *ppRasPort0 = nullptr;
    *pcEntriesRead = 0;
    std::vector<dm::RasPortRecord> ports;
    if (DWORD error = dm::RasPortStore(ServerName(lpszServer)).List(ports))
        return error;
    const std::size_t count = std::min<std::size_t>(ports.size(), 0xFFFF);
    auto* array = static_cast<RAS_PORT_0*>(AllocateBuffer(count * sizeof(RAS_PORT_0)));
    if (array == nullptr)
        return dm::winerr::NotEnoughMemory;
    for (std::size_t i = 0; i < count; ++i)
        FillPort0(array[i], ports[i]);
    *ppRasPort0 = array;
    *pcEntriesRead = static_cast<WORD>(count);
    return 0;
}

#ifndef DM_RASSAPI_WITHOUT_FREEBUFFER
DWORD RasAdminFreeBuffer(void* Pointer)
{
    if (Pointer == nullptr)
        return 0;
    return dm::rassapi::ReleaseBuffer(Pointer) ? 0 : dm::winerr::InvalidParameter;
}
#endif

DWORD RasAdminGetErrorString(UINT ResultCode, WCHAR* lpszError, DWORD cchBuffer)
{
    if (lpszError == nullptr || cchBuffer == 0)
        return dm::winerr::InvalidParameter;
    const char* text = ErrorText(ResultCode);
    if (text == nullptr)
        return dm::winerr::InvalidParameter;
    if (std::strlen(text) + 1 > cchBuffer)
        return dm::winerr::InsufficientBuffer;
    dm::CopyToWideField(lpszError, cchBuffer, text);
    return 0;
}

DWORD RasAdminPortGetInfo(const WCHAR* lpszServer, const WCHAR* lpszPort, RAS_PORT_1* pRasPort1,
                          RAS_PORT_STATISTICS* pRasStats, RAS_PARAMETERS** ppRasParams)
{
    if (lpszPort == nullptr || pRasPort1 == nullptr || pRasStats == nullptr)
        return dm::winerr::InvalidParameter;
    if (ppRasParams != nullptr)
        *ppRasParams = nullptr;
    dm::RasPortRecord record;
    if (DWORD error = dm::RasPortStore(ServerName(lpszServer)).Find(dm::FromWide(lpszPort), record))
        return error;
    FillPort1(*pRasPort1, record);
    FillStatistics(*pRasStats, record);
    if (ppRasParams != nullptr) {
        DWORD size = 0;
        RAS_PARAMETERS* params = BuildParameters(record, size);
        if (params == nullptr)
            return dm::winerr::NotEnoughMemory;
        pRasPort1->NumMediaParms = static_cast<WORD>(record.mediaParams.size());
        pRasPort1->SizeMediaParms = size;
        *ppRasParams = params;
    }
    return 0;
}

DWORD RasAdminPortDisconnect(const WCHAR* lpszServer, const WCHAR* lpszPort)
{
    if (lpszPort == nullptr)
        return dm::winerr::InvalidParameter;
    return dm::RasPortStore(ServerName(lpszServer)).EndSession(dm::FromWide(lpszPort));
}

DWORD RasAdminPortClearStatistics(const WCHAR* lpszServer, const WCHAR* lpszPort)
{
    if (lpszPort == nullptr)
        return dm::winerr::InvalidParameter;
    return dm::RasPortStore(ServerName(lpszServer)).ClearStatistics(dm::FromWide(lpszPort));
}

DWORD RasAdminUserGetInfo(const WCHAR* lpszServer, const WCHAR* lpszUser, RAS_USER_0* pRasUser0)
{
    if (lpszUser == nullptr || pRasUser0 == nullptr)
        return dm::winerr::InvalidParameter;
    dm::AccountDatabase accounts(ServerName(lpszServer));
    const std::string name = AccountName(lpszUser);
    if (DWORD error = accounts.LoadUser(name))
        return error;
    const dm::UserAccount* user = accounts.FindUser(name);
    if (user == nullptr)
        return dm::winerr::NerrUserNotFound;
    std::memset(pRasUser0, 0, sizeof *pRasUser0);
    pRasUser0->bfPrivilege = user->rasPrivilege;
    dm::CopyToWideField(pRasUser0->szPhoneNumber, RASSAPI_MAX_PHONENUMBER_SIZE + 1,
                        user->callbackNumber);
    return 0;
}

DWORD RasAdminUserSetInfo(const WCHAR* lpszServer, const WCHAR* lpszUser,
                          const RAS_USER_0* pRasUser0)
{
    if (lpszUser == nullptr || pRasUser0 == nullptr)
        return dm::winerr::InvalidParameter;
    // The number field may be unterminated in a careless caller's record:
    // read at most its capacity.
    std::u16string number(pRasUser0->szPhoneNumber,
                          std::find(pRasUser0->szPhoneNumber,
                                    pRasUser0->szPhoneNumber + RASSAPI_MAX_PHONENUMBER_SIZE, 0));
    return dm::AccountDatabase(ServerName(lpszServer))
        .SetRasPermission(AccountName(lpszUser), pRasUser0->bfPrivilege, dm::FromWide(number));
}

DWORD RasAdminServerGetInfo(const WCHAR* lpszServer, RAS_SERVER_0* pRasServer0)
{
    if (pRasServer0 == nullptr)
        return dm::winerr::InvalidParameter;
    std::vector<dm::RasPortRecord> ports;
    if (DWORD error = dm::RasPortStore(ServerName(lpszServer)).List(ports))
        return error;
    const auto inUse = std::count_if(ports.begin(), ports.end(), [](const dm::RasPortRecord& p) {
        return p.lineCondition == RAS_PORT_CALLING_BACK ||
               p.lineCondition == RAS_PORT_AUTHENTICATING ||
               p.lineCondition == RAS_PORT_AUTHENTICATED;
    });
    pRasServer0->TotalPorts = static_cast<WORD>(std::min<std::size_t>(ports.size(), 0xFFFF));
    pRasServer0->PortsInUse = static_cast<WORD>(std::min<std::ptrdiff_t>(inUse, 0xFFFF));
    pRasServer0->RasVersion = RASADMIN_CURRENT;
    return 0;
}

} // extern "C"
