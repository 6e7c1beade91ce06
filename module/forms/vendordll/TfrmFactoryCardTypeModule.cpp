#include "TfrmFactoryCardTypeModule.h"

#include "form_registry.h"

#include <QFile>
#include <QFileInfo>

using namespace rsimform;
using VendorDll = MResRemoteMgntDef::SResRemoteCardVendorDll;

namespace {

constexpr const char* kFtpParameter = "GuiWriteCardFTP";
constexpr qint64 kLargestUpload = 0xFFFFFFFFLL; // the transfer counts 32 bits

WindowDeclaration VendorDllDeclaration()
{
    WindowDeclaration declaration = InPlaceEditing(TableWindow<VendorDll>());
    declaration.serviceLists = {&Vendors(), &CardTypes(), &Provinces()};
    declaration.criteria = {
        TickedByClear({"chkVendor",
                       "SIM卡商 ：",
                       {{"cmbVendor", ServiceCombo(Vendors()), VendorDll::idx_VENDOR_CODE,
                         "请选择[SIM卡商]!"}}}),
        TickedByClear({"chkCardType",
                       "卡 类 型：",
                       {{"cmbCardType", ServiceCombo(CardTypes()), VendorDll::idx_CARD_TYPE,
                         "请选择[卡类型]!"}}}),
        {"chkDLLName",
         "组件文件名：",
         {{"edDLLName", TextEdit(64), VendorDll::idx_DLL_NAME, "请输入[组件文件名]!"}}},
        {"chkRegCode",
         "鉴权密钥：",
         {{"edRegCode", TextEdit(64), VendorDll::idx_REG_CODE, "请输入[鉴权密钥]!"}}},
        {"chkVersion",
         "版 本 号：",
         {{"edVersion", TextEdit(40), VendorDll::idx_VERSION_ID, "请输入[版本号]!"}}},
        TickedByClear(
            {"chkProvince",
             "省      份：",
             {{"cmbProvince", ProvinceCombo(), VendorDll::idx_PROVINCE_CODE, "请选择[省份]!"}}}),
    };
    declaration.fields = {
        {"SIM卡商 ：", "cmb_Vendor", ServiceCombo(Vendors()), VendorDll::idx_VENDOR_CODE, {}, true},
        {"卡 类 型：",
         "cmbCard_Type",
         ServiceCombo(CardTypes()),
         VendorDll::idx_CARD_TYPE,
         {},
         true},
        {"组件文件名：", "edDLL_Name", TextEdit(64), VendorDll::idx_DLL_NAME, {}, true},
        {"鉴权密钥：", "edReg_Code", TextEdit(64), VendorDll::idx_REG_CODE},
        {"版 本 号：", "ed_Version", TextEdit(40), VendorDll::idx_VERSION_ID},
        // Locked by a row click, yet Modify sends the province shown.
        {"省      份：",
         "cmb_Province",
         ProvinceCombo(),
         VendorDll::idx_PROVINCE_CODE,
         {},
         true,
         Reset::Default,
         {},
         true,
         true},
    };
    declaration.checks = {
        {"cmb_Vendor", "[SIM卡商]不能为空，请选择!"},
        {"cmbCard_Type", "[卡类型]不能为空，请选择!"},
        {"edReg_Code", "[鉴权密钥]不能为空，请输入!"},
        {"edDLL_Name", "[组件文件名]不能为空，请输入!"},
        {"ed_Version", "[版本号]不能为空，请输入!"},
    };
    declaration.columns = {
        {"SIM卡商", 100, VendorDll::idx_VENDOR_CODE, ServiceCombo(Vendors())},
        {"卡类型", 100, VendorDll::idx_CARD_TYPE, ServiceCombo(CardTypes())},
        {"鉴权密钥", 100, VendorDll::idx_REG_CODE},
        {"组件文件名", 100, VendorDll::idx_DLL_NAME},
        {"版本号", 100, VendorDll::idx_VERSION_ID},
        {"省份", 100, VendorDll::idx_PROVINCE_CODE, ProvinceCombo()},
    };
    declaration.modifyRefreshes = {2, 4, 5};
    declaration.texts.addOk = "提示：新增信息成功!请点击“上传”按钮上传组件到服务器!";
    declaration.texts.modifyFailed = "异常：调用SIM卡业务申请信息修改接口失败\n[%s]\n[%s]!";
    return declaration;
}

// "description|patterns|…" as Qt's "description (patterns);;…".
QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        entries.append(parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")");
    return entries.join(";;");
}

void failure(const char* text)
{
    ShowGUIMessage("%s", "异常信息", MB_ICONINFORMATION, text);
}

// The window of its table's function code.
const rsimform::FormRegistration<TfrmFactoryCardTypeModule>
    registration(rsimcatalog::TableOf<VendorDll>().functionCode);

} // namespace

TOpenDialog::TOpenDialog(QObject* owner, const QString& name, QString title, QString filter)
    : QObject(owner), title_(std::move(title)), filter_(std::move(filter))
{
    setObjectName(name);
}

QString TOpenDialog::Execute() const
{
    return guiInteraction().openFileName(title_, qtFilter(filter_));
}

TfrmFactoryCardTypeModule::TfrmFactoryCardTypeModule(QWidget* owner)
    : TfrmMaintenance(owner, VendorDllDeclaration())
{
    btnFtp = NewButton(btnClear->parentWidget(), "btnFtp", "上传", [this] { btnFtpClick(); });
    bottomBar_->insertWidget(bottomBar_->indexOf(btnClear), btnFtp);
    OpenDlg = new TOpenDialog(
        this, "OpenDlg", "请选择合同文件",
        "JPEG文件(*.JPG;*.JPEG;*.JPE;*.JFIF)|*.JPG;*.JPEG;*.JPE;*.JFIF|word文件(*.doc)|*.doc|"
        "24位位图文件(*.bmp;*.dip)|*.bmp;*.dip");
}

bool TfrmFactoryCardTypeModule::FinishInit()
{
    paramLibrary_.Init(0, 0, 0, 0, 0);
    if (paramLibrary_.GetSysParaValueList(0, 0, kFtpParameter, ftpParams_) != 1) {
        ShowGUIMessage("获取FTP配置参数出错.", "提示", MB_ICONHAND);
        return false;
    }
    if (ftpParams_.empty()) {
        ShowGUIMessage("FTP配置参数没有配置，请配置表：xg.sys_para.", "提示", MB_ICONHAND);
        return false;
    }
    return true;
}

void TfrmFactoryCardTypeModule::btnFtpClick()
{
    const QString path = OpenDlg->Execute();
    if (path.isEmpty())
        return;
    const std::string& parameter = ftpParams_[0].PARAM_VALUE;
    if (parameter == kSealedValueUnreadable) {
        ShowGUIMessage("%s", "提示", MB_ICONHAND, kFtpParameterUnreadable);
        return;
    }
    const std::optional<FtpTarget> target = SplitFtpParameter(parameter);
    if (!target) {
        ShowGUIMessage("%s", "提示", MB_ICONHAND, kFtpParameterMalformed);
        return;
    }
    if (LocalFileUploadable(path))
        Upload(*target, path);
}

bool TfrmFactoryCardTypeModule::LocalFileUploadable(const QString& path)
{
    const QFileInfo file(path);
    QFile readable(path);
    if (!file.isFile() || !readable.open(QIODevice::ReadOnly)) {
        ShowGUIMessage("本地文件[%s]不存在或不能读取，未上传。", "异常信息", MB_ICONINFORMATION,
                       path.toUtf8().constData());
        return false;
    }
    if (file.size() > kLargestUpload) {
        ShowGUIMessage("本地文件[%s]大小达到或超过4GB，不能上传。", "异常信息", MB_ICONINFORMATION,
                       path.toUtf8().constData());
        return false;
    }
    return true;
}

void TfrmFactoryCardTypeModule::Upload(const FtpTarget& target, const QString& path)
{
    const std::string local = QFile::encodeName(path).toStdString();
    const std::string remote =
        target.RemotePath(QFile::encodeName(QFileInfo(path).fileName()).toStdString());
    if (!ftp_.Connect(target.host.c_str(), target.port, target.user.c_str(),
                      target.password.c_str()))
        failure("提示:连接FTP失败!");
    else if (ftp_.FileExists(remote.c_str()))
        failure("提示:该文件在FTP服务器已存在,不能重复上传!");
    else {
        ShowWaitBox("正在上传组件，请稍后...");
        const bool uploaded = ftp_.PutFile(remote.c_str(), local.c_str());
        CloseWaitBox();
        if (uploaded)
            ShowGUIMessage("组件上传成功!", "提示", 0);
        else
            failure(ftp_.GetErrorMsg());
    }
    ftp_.Close();
}
