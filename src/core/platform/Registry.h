#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace corvane {

// A machine-wide settings store with the semantics of the Windows registry:
// keys are opened without being created, a missing key reads as empty values,
// a write to a missing key is lost, every value is a string and value names
// match without regard to case.
//
// The store is one REGEDIT4-style text file shared by every process of the
// product. Writers take an exclusive lock, re-read the file, change it in
// memory, write a temporary file and rename it over the original; readers
// read the whole file when a key is opened.
class Registry
{
public:
    // The root every key path of the product lives under.
    static constexpr const char* Root = "HKEY_LOCAL_MACHINE";

    // $CORVANE_REGISTRY, else $XDG_CONFIG_HOME/Corvane/registry.reg.
    static QString defaultFilePath();

    explicit Registry(const QString& filePath = defaultFilePath());

    const QString& filePath() const { return m_filePath; }

    // Why the store's file exists but cannot be read; empty when it can be
    // read or does not exist (a missing store reads as empty).
    QString readFault() const;

    // Key paths are given below HKEY_LOCAL_MACHINE with backslashes,
    // e.g. "Software\\Corvane\\Startup Settings"; matched without regard to case.
    bool keyExists(const QString& keyPath) const;

    // Empty when the key or the value is missing.
    QString readString(const QString& keyPath, const QString& valueName) const;

    // Writes into an existing key; returns false (and writes nothing) when the
    // key does not exist or the file cannot be written.
    bool writeString(const QString& keyPath, const QString& valueName, const QString& text);

    // Creates the key (and the file) when missing. Only set-up code creates keys.
    bool createKey(const QString& keyPath);

    // Names of the values of a key as stored, in file order.
    QStringList valueNames(const QString& keyPath) const;

private:
    QString m_filePath;
};

// One key opened for reading: the file is read once when it is opened, so a
// run of reads sees one consistent state.
class RegistryKey
{
public:
    RegistryKey(const Registry& registry, const QString& keyPath);

    bool isOpen() const { return m_open; }
    QString readString(const QString& valueName) const;

private:
    bool m_open = false;
    QHash<QString, QString> m_values; // keyed by case-folded value name
};

} // namespace corvane
