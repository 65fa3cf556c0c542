#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class Database;
class Registry;

// Creates a working profile: the program and data folders, the settings
// store with every key and value, and every table, with the demo engine's
// starter scripts and the usage tips. Nothing that exists is overwritten: a value,
// a table or a row that is already there stays as it is.
class ProfileSetup
{
public:
    ProfileSetup(Registry& registry, const QString& profileFolder);

    // The profile folder a user gets when none is named: Corvane/ in the
    // user's data folder ($XDG_DATA_HOME, else ~/.local/share).
    static QString defaultProfileFolder();

    // A user's first start: when CORVANE_REGISTRY is not set and the settings
    // store does not exist yet, creates the default profile (the settings
    // store in $XDG_CONFIG_HOME/Corvane/). Gives the profile folder created,
    // nothing when there was nothing to do, or a message naming the failure.
    struct FirstStart
    {
        QString createdFolder;
        QString error;
    };
    static FirstStart createOnFirstStart();

    // Returns false with error() set when a folder cannot be created or
    // written, or a table cannot be created.
    bool run();

    const QString& error() const { return m_error; }
    // The profile's data folder, with a trailing "/".
    const QString& dataFolder() const { return m_dataFolder; }
    // One line per thing created, for the command's output.
    const QStringList& created() const { return m_created; }

private:
    bool checkRegistration();
    bool createFolders();
    bool createSettings();
    bool fillDataFolder();
    void createTables(Database& database); // both throw DatabaseError
    void seedRows(Database& database);

    Registry& m_registry;
    QString m_programFolder;
    QString m_dataFolder;
    QString m_error;
    QStringList m_created;
};

} // namespace corvane
