#pragma once
// The RAS server administration interface: the structures, constants and
// nine entry points of librassapi.so, which the manager loads at run time
// under the name "RASSAPI.DLL".
//
// Conventions at this boundary:
// - Wide strings are UTF-16 (WCHAR is char16_t), zero-terminated.
// - A server is named "\\NAME" (or "NAME"; an empty or null name is the local
//   computer). The library answers from the emulated computer's ras.ini and
//   accounts.ini (see docs/network-ras.md).
// - Every call returns 0 on success or an error number: the platform's
//   (53 unreachable computer, 87 bad parameter, 1060 no RAS installed, 2221
//   unknown user ...) or one of the RAS numbers below (615 unknown port).
// - Buffers the library hands out (the port array of RasAdminPortEnum, the
//   parameter array of RasAdminPortGetInfo) belong to the caller, who frees
//   each with RasAdminFreeBuffer.

#include <cstdint>

extern "C" {

typedef char16_t WCHAR;
typedef char CHAR;
typedef std::uint8_t BYTE;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t BOOL;
typedef unsigned int UINT;

#define RASSAPI_MAX_PHONENUMBER_SIZE 128
#define RASSAPI_MAX_MEDIA_NAME 16
#define RASSAPI_MAX_PORT_NAME 16
#define RASSAPI_MAX_DEVICE_NAME 128
#define RASSAPI_MAX_DEVICETYPE_NAME 16
#define RASSAPI_MAX_PARAM_KEY_SIZE 32
#define RASSAPI_UNLEN 256
#define RASSAPI_DNLEN 15
#define RASSAPI_NETBIOS_NAME_LEN 16

// Privilege bits of an account's RAS permission (RAS_USER_0::bfPrivilege).
#define RASPRIV_NoCallback 0x01
#define RASPRIV_AdminSetCallback 0x02
#define RASPRIV_CallerSetCallback 0x04
#define RASPRIV_DialinPrivilege 0x08
#define RASPRIV_CallbackType (RASPRIV_NoCallback | RASPRIV_AdminSetCallback | RASPRIV_CallerSetCallback)

// Hardware condition of a port (RAS_PORT_1::HardwareCondition).
#define RAS_MODEM_OPERATIONAL 1
#define RAS_MODEM_NOT_RESPONDING 2
#define RAS_MODEM_HARDWARE_FAILURE 3
#define RAS_MODEM_INCORRECT_RESPONSE 4
#define RAS_MODEM_UNKNOWN 5

// Line condition of a port (RAS_PORT_1::LineCondition).
#define RAS_PORT_NON_OPERATIONAL 1
#define RAS_PORT_DISCONNECTED 2
#define RAS_PORT_CALLING_BACK 3
#define RAS_PORT_LISTENING 4
#define RAS_PORT_AUTHENTICATING 5
#define RAS_PORT_AUTHENTICATED 6
#define RAS_PORT_INITIALIZING 7

// Media types (RAS_PORT_0::MediaType).
#define MEDIA_UNKNOWN 0
#define MEDIA_SERIAL 1
#define MEDIA_RAS10_SERIAL 2
#define MEDIA_X25 3
#define MEDIA_ISDN 4

// Port flags (RAS_PORT_0::Flags).
#define USER_AUTHENTICATED 0x0001
#define MESSENGER_PRESENT 0x0002
#define PPP_CLIENT 0x0004
#define GATEWAY_ACTIVE 0x0008
#define REMOTE_LISTEN 0x0010
#define PORT_MULTILINKED 0x0020

// Versions reported in RAS_SERVER_0::RasVersion.
#define RASDOWNLEVEL 10
#define RASADMIN_35 35
#define RASADMIN_CURRENT 40

#define RAS_IPADDRESSLEN 15
#define RAS_IPXADDRESSLEN 22
#define RAS_ATADDRESSLEN 32

// RAS error numbers this library returns besides the platform's.
#define RASBASE 600
#define ERROR_PORT_NOT_FOUND (RASBASE + 15)
#define ERROR_PROTOCOL_NOT_CONFIGURED (RASBASE + 131)

enum RAS_PARAMS_FORMAT { ParamNumber = 0, ParamString = 1 };

union RAS_PARAMS_VALUE {
    DWORD Number;
    struct {
        DWORD Length;
        CHAR* Data; // points into the same buffer, freed with it
    } String;
};

// One media parameter of a port.
struct RAS_PARAMETERS {
    CHAR P_Key[RASSAPI_MAX_PARAM_KEY_SIZE];
    RAS_PARAMS_FORMAT P_Type;
    BYTE P_Attributes;
    RAS_PARAMS_VALUE P_Value;
};

// An account's RAS permission.
struct RAS_USER_0 {
    BYTE bfPrivilege;
    WCHAR szPhoneNumber[RASSAPI_MAX_PHONENUMBER_SIZE + 1];
};

// One port as the enumeration reports it.
struct RAS_PORT_0 {
    WCHAR wszPortName[RASSAPI_MAX_PORT_NAME];
    WCHAR wszDeviceType[RASSAPI_MAX_DEVICETYPE_NAME];
    WCHAR wszDeviceName[RASSAPI_MAX_DEVICE_NAME];
    WCHAR wszMediaName[RASSAPI_MAX_MEDIA_NAME];
    union {
        DWORD reserved;
        DWORD MediaType; // MEDIA_SERIAL ... MEDIA_ISDN, what the port status panel shows
    };
    DWORD Flags;
    WCHAR wszUserName[RASSAPI_UNLEN + 1];
    WCHAR wszComputer[RASSAPI_NETBIOS_NAME_LEN];
    DWORD dwStartSessionTime; // seconds since 1970, 0 = no session
    WCHAR wszLogonDomain[RASSAPI_DNLEN + 1];
    BOOL fAdvancedServer;
};

// Results of the PPP protocol negotiation; dwError 0 = projected.
struct RAS_PPP_NBFCP_RESULT {
    DWORD dwError;
    DWORD dwNetBiosError;
    CHAR szName[RASSAPI_NETBIOS_NAME_LEN + 1];
    WCHAR wszWksta[RASSAPI_NETBIOS_NAME_LEN + 1];
};

struct RAS_PPP_IPCP_RESULT {
    DWORD dwError;
    WCHAR wszAddress[RAS_IPADDRESSLEN + 1];
};

struct RAS_PPP_IPXCP_RESULT {
    DWORD dwError;
    WCHAR wszAddress[RAS_IPXADDRESSLEN + 1];
};

struct RAS_PPP_ATCP_RESULT {
    DWORD dwError;
    WCHAR wszAddress[RAS_ATADDRESSLEN + 1];
};

struct RAS_PPP_PROJECTION_RESULT {
    RAS_PPP_NBFCP_RESULT nbf;
    RAS_PPP_IPCP_RESULT ip;
    RAS_PPP_IPXCP_RESULT ipx;
    RAS_PPP_ATCP_RESULT at;
};

// A port's details.
struct RAS_PORT_1 {
    RAS_PORT_0 rasport0;
    DWORD LineCondition;
    DWORD HardwareCondition;
    DWORD LineSpeed; // bits per second
    WORD NumStatistics;
    WORD NumMediaParms;
    DWORD SizeMediaParms;
    RAS_PPP_PROJECTION_RESULT ProjResult;
};

// The session's counters, in this order.
struct RAS_PORT_STATISTICS {
    DWORD dwBytesXmited;
    DWORD dwBytesRcved;
    DWORD dwFramesXmited;
    DWORD dwFramesRcved;
    DWORD dwCrcErr;
    DWORD dwTimeoutErr;
    DWORD dwAlignmentErr;
    DWORD dwHardwareOverrunErr;
    DWORD dwFramingErr;
    DWORD dwBufferOverrunErr;
    DWORD dwBytesXmitedUncompressed;
    DWORD dwBytesRcvedUncompressed;
    DWORD dwBytesXmitedCompressed;
    DWORD dwBytesRcvedCompressed;
};

#define RAS_PORT_STATISTICS_COUNT 14

// A server's port totals.
struct RAS_SERVER_0 {
    WORD TotalPorts;
    WORD PortsInUse;
    DWORD RasVersion;
};

// The nine entry points, exported by librassapi.so.
#define RASSAPI_EXPORT __attribute__((visibility("default")))
RASSAPI_EXPORT DWORD RasAdminPortEnum(const WCHAR* lpszServer, RAS_PORT_0** ppRasPort0, WORD* pcEntriesRead);
RASSAPI_EXPORT DWORD RasAdminFreeBuffer(void* Pointer);
RASSAPI_EXPORT DWORD RasAdminGetErrorString(UINT ResultCode, WCHAR* lpszError, DWORD cchBuffer);
RASSAPI_EXPORT DWORD RasAdminPortGetInfo(const WCHAR* lpszServer, const WCHAR* lpszPort, RAS_PORT_1* pRasPort1,
                          RAS_PORT_STATISTICS* pRasStats, RAS_PARAMETERS** ppRasParams);
RASSAPI_EXPORT DWORD RasAdminPortDisconnect(const WCHAR* lpszServer, const WCHAR* lpszPort);
RASSAPI_EXPORT DWORD RasAdminPortClearStatistics(const WCHAR* lpszServer, const WCHAR* lpszPort);
RASSAPI_EXPORT DWORD RasAdminUserGetInfo(const WCHAR* lpszServer, const WCHAR* lpszUser, RAS_USER_0* pRasUser0);
RASSAPI_EXPORT DWORD RasAdminUserSetInfo(const WCHAR* lpszServer, const WCHAR* lpszUser,
                          const RAS_USER_0* pRasUser0);
RASSAPI_EXPORT DWORD RasAdminServerGetInfo(const WCHAR* lpszServer, RAS_SERVER_0* pRasServer0);

// The same entry points as pointer types, for binding at run time.
typedef DWORD (*PFN_RasAdminPortEnum)(const WCHAR*, RAS_PORT_0**, WORD*);
typedef DWORD (*PFN_RasAdminFreeBuffer)(void*);
typedef DWORD (*PFN_RasAdminGetErrorString)(UINT, WCHAR*, DWORD);
typedef DWORD (*PFN_RasAdminPortGetInfo)(const WCHAR*, const WCHAR*, RAS_PORT_1*,
                                         RAS_PORT_STATISTICS*, RAS_PARAMETERS**);
typedef DWORD (*PFN_RasAdminPortDisconnect)(const WCHAR*, const WCHAR*);
typedef DWORD (*PFN_RasAdminPortClearStatistics)(const WCHAR*, const WCHAR*);
typedef DWORD (*PFN_RasAdminUserGetInfo)(const WCHAR*, const WCHAR*, RAS_USER_0*);
typedef DWORD (*PFN_RasAdminUserSetInfo)(const WCHAR*, const WCHAR*, const RAS_USER_0*);
typedef DWORD (*PFN_RasAdminServerGetInfo)(const WCHAR*, RAS_SERVER_0*);

} // extern "C"
