#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <span>

namespace veldrin {

// One region of the business-registry directory: the captions its two link labels get, a
// link ("http://" and a host) or a text saying there is none.
struct RegistryEntry
{
    const char16_t* name;
    const char16_t* registry;
    const char16_t* credit;
};

// The two sections are searched separately: 吉林 stands in both, as different entries.
enum class RegistrySection
{
    Province,
    City
};

// The entries of a section in search order (34 provinces, 53 cities).
std::span<const RegistryEntry> registryEntries(RegistrySection section);

// The first entry of the section whose name equals `name` exactly, or null.
const RegistryEntry* findRegistryEntry(RegistrySection section, const QString& name);

// The names as the section's pick list offers them.
QStringList registryChoices(RegistrySection section);

} // namespace veldrin
