// The backup folder on Windows: %LOCALAPPDATA%\<organisation>, whose access
// list grants the user alone full control, passed on to the files in it,
// and inherits nothing from above.
#include "settings/backup_folder.h"

#include "platform/windows_api.h"

#include <aclapi.h>

#include <QDir>
#include <QStandardPaths>

#include <vector>

#include "text/qt_text.h"

namespace {

// The access list that grants the process's user, and nobody else, full
// control of the folder and of what is made in it.
bool grantUserOnly(const QString& folder)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    const bool known = size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size);
    CloseHandle(token);
    if (!known)
        return false;

    EXPLICIT_ACCESS_W access{};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_USER;
    access.Trustee.ptstrName =
        static_cast<LPWSTR>(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
    PACL list = nullptr;
    if (SetEntriesInAclW(1, &access, nullptr, &list) != ERROR_SUCCESS)
        return false;
    std::wstring path = QDir::toNativeSeparators(folder).toStdWString();
    const DWORD set =
        SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, list, nullptr);
    LocalFree(list);
    return set == ERROR_SUCCESS;
}

} // namespace

Result<QString> privateBackupFolder(const QString& organization)
{
    // The local, not the roaming, application data: backups hold the owner
    // key and should not travel with a profile.
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' + organization;
    if (!QDir().mkpath(folder) || !grantUserOnly(folder))
        return Error{QStringLiteral("cannot make the folder %1 readable by you only")
                         .arg(QDir::toNativeSeparators(folder))
                         .toStdString()};
    return folder;
}
