#include <QObject>
#include <QtPlugin>

#include <cstdlib>

// Stands for code that another user put where Qt looks for plugins: a
// platform plugin with valid metadata, which Qt takes over its own when it
// searches that folder first. The moment Qt makes its instance, the process
// ends with a status that the test knows, so a run shows whether it loaded.
class PlantedPlatformPlugin : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface.5.3" FILE
                          "planted_platform_plugin.json")

public:
    PlantedPlatformPlugin() { std::_Exit(97); }
};

#include "planted_platform_plugin.moc"
