// The service-access object of a window: one method per operation of the remote-SIM service.
#pragma once

#include "CGUITVClient.h"
#include "ResRemoteSimMgnt_tvd_c.h"
#include "ResSysMgnt_tvd_c.h"

#include <string>

class QComboBox;

class CResRemoteSim : public CGUITVClient {
public:
    CResRemoteSim();
    ~CResRemoteSim() override;

    // Binds both clients to the broker "TAVORINE"; throws CGUIException (string 24339 of
    // "kqtvres.dll") when a binding fails, leaving neither bound.
    void Init(int reserved, int regionCode, int countyCode, int orgId, int opId) override;

#define RSIM_WRAP_FAMILY_(Rec, suffix, addCode, modCode, delCode, qryCode, listName, critName,     \
                          CritT)                                                                   \
    bool add_##suffix(const MResRemoteMgntApp::SOpInfo& sOpInfo,                                   \
                      const MResRemoteMgntDef::Rec##List& listName, CBSErrorMsg& error);           \
    bool mod_##suffix(const MResRemoteMgntApp::SOpInfo& sOpInfo,                                   \
                      const MResRemoteMgntDef::Rec##List& listName, CBSErrorMsg& error);           \
    bool del_##suffix(const MResRemoteMgntApp::SOpInfo& sOpInfo,                                   \
                      const MResRemoteMgntDef::Rec##List& listName, CBSErrorMsg& error);           \
    bool qry_##suffix(const MResRemoteMgntDef::CritT& critName,                                    \
                      MResRemoteMgntDef::Rec##List& listName, CBSErrorMsg& error);
#define RSIM_WRAP_INQUIRY_(op, code, CritT, critName, Rec, listName)                               \
    bool op(const MResRemoteMgntDef::CritT& critName, MResRemoteMgntDef::Rec##List& listName,      \
            CBSErrorMsg& error);

    RSIM_FAMILIES(RSIM_WRAP_FAMILY_)
    RSIM_INQUIRIES(RSIM_WRAP_INQUIRY_)

    // Appends "[PROVINCE_CODE] PROVINCE_NAME" per province and selects the first item.
    void FillProvinceCombo(const MResRemoteMgntDef::SResRemoteProvCodeList& provinces,
                           QComboBox* comboBox);
    // The text between the first "[" and the first "]"; the whole text when either is missing.
    static std::string ExtractCode(const std::string& text);

private:
    MResRemoteMgntApp::IResRemoteMgnt remoteSim_;
    MResSysMgnt::IResSysMgnt resSys_;
};
