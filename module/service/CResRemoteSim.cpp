#include "CResRemoteSim.h"

#include "guiexception.h"

#include <QComboBox>

#include <cstring>

namespace {

constexpr const char* kBroker = "TAVORINE";
constexpr unsigned kInitFailedString = 24339;

// The operations "RMOSMQ01" to "RMOSMQ28" start from a clean error record and leave the
// service's record in it; the later ones leave the caller's record as it was unless they fail.
template <class Call>
bool run(const char* code, CBSErrorMsg& error, Call call)
{
    if (std::strcmp(code, "RMOSMQ28") <= 0) {
        error.set(0, 0, "no error", "");
        return call(error) == 0;
    }
    CBSErrorMsg own;
    if (call(own) == 0)
        return true;
    error = own;
    return false;
}

} // namespace

void CGUITVClient::Store(int reserved, int regionCode, int countyCode, int orgId, int opId)
{
    reserved_ = reserved;
    regionCode_ = regionCode;
    countyCode_ = countyCode;
    orgId_ = orgId;
    opId_ = opId;
}

CResRemoteSim::CResRemoteSim() = default;

CResRemoteSim::~CResRemoteSim()
{
    remoteSim_.unbind();
    resSys_.unbind();
}

void CResRemoteSim::Init(int reserved, int regionCode, int countyCode, int orgId, int opId)
{
    if (remoteSim_.bind_tavBroker(kBroker) != 0)
        throw CGUIException("kqtvres.dll", kInitFailedString);
    if (resSys_.bind_tavBroker(kBroker) != 0) {
        remoteSim_.unbind(); // half bound is not bound
        throw CGUIException("kqtvres.dll", kInitFailedString);
    }
    Store(reserved, regionCode, countyCode, orgId, opId);
}

#define RSIM_WRITE_WRAPPER_(op, code, Rec, listName)                                               \
    bool CResRemoteSim::op(const MResRemoteMgntApp::SOpInfo& sOpInfo,                              \
                           const MResRemoteMgntDef::Rec##List& listName, CBSErrorMsg& error)       \
    {                                                                                              \
        return run(code, error,                                                                    \
                   [&](CBSErrorMsg& e) { return remoteSim_.op(sOpInfo, listName, e, nullptr); });  \
    }
#define RSIM_QUERY_WRAPPER_(op, code, CritT, critName, Rec, listName)                              \
    bool CResRemoteSim::op(const MResRemoteMgntDef::CritT& critName,                               \
                           MResRemoteMgntDef::Rec##List& listName, CBSErrorMsg& error)             \
    {                                                                                              \
        return run(code, error,                                                                    \
                   [&](CBSErrorMsg& e) { return remoteSim_.op(critName, listName, e, nullptr); }); \
    }
#define RSIM_DEFINE_WRAPPERS_(Rec, suffix, addCode, modCode, delCode, qryCode, listName, critName, \
                              CritT)                                                               \
    RSIM_WRITE_WRAPPER_(add_##suffix, addCode, Rec, listName)                                      \
    RSIM_WRITE_WRAPPER_(mod_##suffix, modCode, Rec, listName)                                      \
    RSIM_WRITE_WRAPPER_(del_##suffix, delCode, Rec, listName)                                      \
    RSIM_QUERY_WRAPPER_(qry_##suffix, qryCode, CritT, critName, Rec, listName)

RSIM_FAMILIES(RSIM_DEFINE_WRAPPERS_)
RSIM_INQUIRIES(RSIM_QUERY_WRAPPER_)

void CResRemoteSim::FillProvinceCombo(const MResRemoteMgntDef::SResRemoteProvCodeList& provinces,
                                      QComboBox* comboBox)
{
    if (comboBox == nullptr)
        return;
    for (const auto& province : provinces)
        comboBox->addItem(
            QString::fromStdString("[" + province.PROVINCE_CODE + "] " + province.PROVINCE_NAME));
    if (comboBox->count() > 0)
        comboBox->setCurrentIndex(0);
}

std::string CResRemoteSim::ExtractCode(const std::string& text)
{
    const std::size_t open = text.find('[');
    const std::size_t close = text.find(']');
    if (open == std::string::npos || close == std::string::npos)
        return text;
    if (close < open)
        return {};
    return text.substr(open + 1, close - open - 1);
}
