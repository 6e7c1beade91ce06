// What every window of the module holds and does at initialisation: the operator's copy, the
// service object, the system-management library, the rights check and the operation info.
#pragma once

#include "CResRemoteSim.h"
#include "PublicAccount.h"
#include "PublicSysMgnt.h"
#include "ResRemoteSimTables.h"
#include "TVGUICommon.h"
#include "guiexception.h"
#include "sysmgnt_def_tvd_c.h"

namespace rsimform {

// Entity ids of a window's add, modify and delete rights: those of the table it maintains.
using RightIds = rsimcatalog::RightIds;

constexpr const char* kResourceLibrary = "kqtvres.dll";
constexpr unsigned kInitFailedString = 24339;
using rsimcatalog::kPrivilege;

} // namespace rsimform

class TfrmRemoteSimBase : public TfrmMDIChild {
public:
    explicit TfrmRemoteSimBase(QWidget* owner, rsimform::RightIds rights = {});

    // True when the window is ready to be shown; false when the caller must destroy it.
    virtual bool InitForm(int reserved, const MSysmgntDef::SOperator* op) = 0;

    bool AddRight() const { return addRight_; }
    bool ModifyRight() const { return modifyRight_; }
    bool DeleteRight() const { return deleteRight_; }
    const MResRemoteMgntApp::SOpInfo& OpInfo() const { return opInfo_; }

protected:
    // The maintenance frame: wait box, operator copy, service and library initialisation, rights
    // check, then Prepare (lookups and the first Clear) with an account library object; any
    // CGUIException is shown once with caption "异常信息" and makes it return false.
    bool InitMaintenanceForm(int reserved, const MSysmgntDef::SOperator* op);
    virtual void Prepare(CAccountPublic& account) = 0;

    // Sets the three right flags; throws CGUIException when the library refuses the check.
    void CheckRights(int opId, int orgId);
    bool HasRight(int entityId) const;
    void FillOpInfo(const MSysmgntDef::SOperator& op);
    // Loads a code list of the account library; throws CGUIException when it cannot.
    std::unique_ptr<CBasicLookup> LoadLookup(CAccountPublic& account, int category);

    // Shows a caught exception as every handler does.
    static void ShowException(const CGUIException& e);
    // "异常：…失败\n[%s]\n[%s]!" with the error record's message and hint.
    static void ShowCallFailure(const char* format, const CBSErrorMsg& error);
    // Runs one service call, call(error) -> bool, inside the wait box that the caller showed:
    // closes it when the call returns, then shows a caught exception or the failure.
    template <class Call>
    static bool CallService(const char* failureFormat, Call call)
    {
        CBSErrorMsg error;
        bool ok = false;
        try {
            ok = call(error);
        } catch (const CGUIException& e) {
            CloseWaitBox();
            ShowException(e);
            return false;
        }
        CloseWaitBox();
        if (!ok)
            ShowCallFailure(failureFormat, error);
        return ok;
    }

    CResRemoteSim remoteSim_;
    CSysMgntPublic sysMgnt_;
    MSysmgntDef::SOperator operator_;
    MSysmgntDef::SOperPrivAuthList rights_;
    MResRemoteMgntApp::SOpInfo opInfo_;
    rsimform::RightIds rightIds_;
    bool addRight_ = false;
    bool modifyRight_ = false;
    bool deleteRight_ = false;
};
