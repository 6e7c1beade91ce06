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

#include <QStringList>

#include <map>

namespace rsimform {

// Entity ids of a window's add, modify and delete rights: those of the table it maintains.
using RightIds = rsimcatalog::RightIds;

// The flags of a confirmation: Yes and No, the question icon, No the default.
constexpr int kConfirm = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

constexpr const char* kResourceLibrary = "kqtvres.dll";
constexpr unsigned kInitFailedString = 24339;
using rsimcatalog::kPrivilege;

struct ServiceList;

// The objectNames a window publishes for its result list and the buttons every table window has.
struct ControlNames {
    QString list = "lstShowDataList";
    QString query = "btnQuery";
    QString modify = "btnModify";
    QString remove = "btnDelete";
};

// How a window initialises: the maintenance frame (all steps, under a wait box) unless told
// otherwise.
struct InitSteps {
    bool waitBox = true;         // "正在初始化控件界面中，请稍候..." while it runs
    bool sysMgntRequired = true; // false: a refusal is shown and initialisation goes on
    bool checkRights = true;
    bool codeLists = true; // the account library answers CodeList during Prepare
};

// What a kind of control (control_kinds.h) asks of the window it lives in.
class FormContext {
public:
    virtual ~FormContext() = default;
    // A code list of the account library, loaded once, during initialisation; throws
    // CGUIException when the library cannot give it.
    virtual const CBasicLookup& CodeList(int category) = 0;
    // The items of a service list, queried once; empty when the query failed, whose message is
    // then shown once.
    virtual const QStringList& ServiceItems(const ServiceList& list) = 0;
};

} // namespace rsimform

class TfrmRemoteSimBase : public TfrmMDIChild, public rsimform::FormContext {
public:
    explicit TfrmRemoteSimBase(QWidget* owner, rsimform::RightIds rights = {},
                               rsimform::InitSteps steps = {});

    // True when the window is ready to be shown; false when the caller must destroy it. The
    // frame: operator copy, service and library initialisation, rights check, LoadServiceLists,
    // then Prepare (lookups and the first Clear) while the account library object lives, then
    // FinishInit; each step as the window's InitSteps say. Any CGUIException is shown once with
    // caption "异常信息" and makes it return false, as does a false LoadServiceLists or
    // FinishInit.
    bool InitForm(int reserved, const MSysmgntDef::SOperator* op);

    const rsimform::ControlNames& Names() const { return names_; }
    bool AddRight() const { return addRight_; }
    bool ModifyRight() const { return modifyRight_; }
    bool DeleteRight() const { return deleteRight_; }

    const CBasicLookup& CodeList(int category) override;
    const QStringList& ServiceItems(const rsimform::ServiceList& list) override;

protected:
    // The service lists a window cannot open without; false when one failed (it was shown).
    virtual bool LoadServiceLists() { return true; }
    virtual void Prepare() {}
    // The window's last step of initialisation; false when the window cannot open (it has
    // said why).
    virtual bool FinishInit() { return true; }
    // Queries a service list once; false (its failure shown) when the query failed.
    bool LoadServiceItems(const rsimform::ServiceList& list);
    // The window's control by its objectName.
    template <class T = QWidget>
    T* Control(const QString& name) const
    {
        return findChild<T*>(name);
    }

    // Sets the three right flags; throws CGUIException when the library refuses the check.
    void CheckRights(int opId, int orgId);
    bool HasRight(int entityId) const;
    void FillOpInfo(const MSysmgntDef::SOperator& op);

    // Shows a caught exception as every handler does.
    static void ShowException(const CGUIException& e);
    // "异常：…失败\n[%s]\n[%s]!" with the error record's message and hint.
    static void ShowCallFailure(const char* format, const CBSErrorMsg& error);
    // Runs one service call, call(error) -> bool, inside the wait box that the caller showed.
    // A failure (or a caught exception) is shown while the wait box still stands, which then
    // closes; a success closes it, or with a successWaitText leaves it open with that text for
    // the caller to close when it has shown the outcome.
    template <class Call>
    static bool CallService(const char* failureFormat, Call call,
                            const char* successWaitText = nullptr)
    {
        CBSErrorMsg error;
        bool ok = false;
        try {
            ok = call(error);
        } catch (const CGUIException& e) {
            ShowException(e);
            CloseWaitBox();
            return false;
        }
        if (ok && successWaitText != nullptr) {
            UpdateWaitBox(successWaitText);
            return true;
        }
        if (!ok)
            ShowCallFailure(failureFormat, error);
        CloseWaitBox();
        return ok;
    }

    CResRemoteSim remoteSim_;
    CSysMgntPublic sysMgnt_;
    MSysmgntDef::SOperator operator_;
    MSysmgntDef::SOperPrivAuthList rights_;
    MResRemoteMgntApp::SOpInfo opInfo_;
    rsimform::RightIds rightIds_;
    rsimform::ControlNames names_;
    bool addRight_ = false;
    bool modifyRight_ = false;
    bool deleteRight_ = false;

private:
    void InitLibraries(int reserved, const MSysmgntDef::SOperator& op);
    // Runs Prepare while an account library object, initialised with the operator's values,
    // answers CodeList; throws CGUIException (string 24339) when the library cannot start.
    void PrepareWithCodeLists(int reserved, const MSysmgntDef::SOperator& op);

    rsimform::InitSteps steps_;
    CAccountPublic* account_ = nullptr; // during Prepare only
    std::map<int, std::unique_ptr<CBasicLookup>> codeLists_;
    std::map<const rsimform::ServiceList*, QStringList> serviceItems_;
    std::map<const rsimform::ServiceList*, bool> serviceLoaded_;
};
