// The store in the platform's own place through QSettings: on Windows the
// registry key HKEY_CURRENT_USER\Software\<organization>\<application>.

#include "settings/store_backend.h"

#include <QSettings>

namespace {

std::unique_ptr<QSettings> openNative(const QString& organization, const QString& application)
{
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                organization, application);
    // Only this program's own values: no organization-wide or system-wide
    // keys mixed in.
    settings->setFallbacksEnabled(false);
    return settings;
}

// QSettings names a value of a section "<section>/<name>".
QString keyIn(const std::u16string& section, const QString& name)
{
    return QString::fromStdU16String(section) + u'/' + name;
}

class NativeBackend : public StoreBackend {
public:
    explicit NativeBackend(const StoreIdentity& identity)
        : identity_(identity), reader_(openNative(identity.organization, identity.application))
    {
    }

    StoreAccess access() const override
    {
        return reader_->status() == QSettings::AccessError ? StoreAccess::Unreadable
                                                           : StoreAccess::Ours;
    }
    QString location() const override { return reader_->fileName(); }
    QString problem() const override
    {
        return access() == StoreAccess::Ours
                   ? QString()
                   : QStringLiteral("cannot read the settings store ") + location();
    }
    QVariant value(const QString& name) const override
    {
        return reader_->value(keyIn(identity_.section, name));
    }
    void refresh() override { reader_->sync(); }
    bool keep() override { return true; }
    Result<std::optional<StoreFolder>> folder() const override
    {
        return std::optional<StoreFolder>();
    }

    bool write(const StoredValues& values, bool) override
    {
        // QSettings keeps the first error it meets: a damaged store that it
        // reads back during the sync reports a format error and hides the
        // outcome of the write. The sync has then rewritten the store if it
        // could, and a second one tells whether the values are stored.
        for (int attempt = 0; attempt < 2; ++attempt) {
            const std::unique_ptr<QSettings> writer =
                openNative(identity_.organization, identity_.application);
            for (const auto& [name, value] : values)
                writer->setValue(keyIn(identity_.section, name), value);
            writer->sync();
            if (writer->status() == QSettings::NoError) {
                reader_->sync();
                return true;
            }
            if (writer->status() != QSettings::FormatError)
                return false;
        }
        return false;
    }

private:
    StoreIdentity identity_;
    std::unique_ptr<QSettings> reader_;
};

} // namespace

std::unique_ptr<StoreBackend> openStoreBackend(const StoreIdentity& identity)
{
    return std::make_unique<NativeBackend>(identity);
}
