// The middleware client: binding to a broker and synchronous calls of service operations.
#pragma once

#include "tvd_object.h"

#include <functional>
#include <memory>
#include <string>

class CTvdClientObject {
public:
    CTvdClientObject();
    virtual ~CTvdClientObject();
    CTvdClientObject(const CTvdClientObject&) = delete;
    CTvdClientObject& operator=(const CTvdClientObject&) = delete;

    // Resolves the broker name to a service address and checks that the service answers.
    // 0 on success.
    int bind_tavBroker(const char* brokerName);
    // One synchronous call; 0 on success, otherwise non-zero with the error record filled.
    int invoke_server(const char* interfaceName, const char* operationCode, STVSession* session,
                      CTvdBasicParamObject& in, CTvdBasicParamObject& out, CBSErrorMsg& error);

    // When set, every call goes to the service's check route (POST /v1/check/...): a write runs
    // with all its checks and is rolled back, so nothing is stored whatever its size.
    void setCheckOnly(bool checkOnly);

    virtual int call_server(const std::string& path, const std::string& body,
                            const std::string& session, std::string& answer, CBSErrorMsg& error);
    virtual int bind(const std::string& address);
    virtual void unbind();
    // Overridden by each generated client class.
    virtual int interfaceRevision() const = 0;

    bool isBound() const;
    const std::string& address() const;
    // Why the last bind failed (code 0 when it did not).
    const CBSErrorMsg& bindError() const;

private:
    struct Transport;
    std::unique_ptr<Transport> transport_;
};

// The service address of a broker name: the environment variable TAV_BROKER_<NAME>, else
// http://127.0.0.1:7411.
std::string tvd_brokerAddress(const std::string& brokerName);

// The CA certificate file (PEM) that verifies an https:// service, for a private CA; overrides
// the environment variable TAV_CA_FILE. Empty: the system's trusted CAs.
void tvd_setCaFile(const std::string& path);

// The session of this process, used for calls that pass a null session.
void tvd_setProcessSession(const std::string& token);
std::string tvd_processSession();

// Logs an operator in at the broker's service; on success stores the session as the process
// session and fills the operator record. 0 on success.
int tvd_login(const std::string& brokerName, const std::string& loginName,
              const std::string& password, CTvdBasicStructObject& operatorRecord,
              CBSErrorMsg& error);

// Ends the process session at the broker's service (POST /v1/logout) and forgets it, so that no
// session stays live after the process. 0 on success and when there was no session.
int tvd_logout(const std::string& brokerName, CBSErrorMsg& error);

// Sees every call before it is sent: interface, operation code and the encoded in-object (JSON).
using TvdCallObserver =
    std::function<void(const std::string& interfaceName, const std::string& operationCode,
                       const std::string& encodedIn)>;
// Installs an observer and returns the previous one (empty: none).
TvdCallObserver tvd_setCallObserver(TvdCallObserver observer);
