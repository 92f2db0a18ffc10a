#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

// Lets every tst_*.cpp of a subsystem register its test class, so that one executable runs
// them all. Use TORVA_TEST(ClassName) after the class definition (and its moc include).
namespace TestRegistry {

using Factory = std::function<std::unique_ptr<QObject>()>;

inline std::vector<std::pair<const char *, Factory>> &entries()
{
    static std::vector<std::pair<const char *, Factory>> list;
    return list;
}

inline bool add(const char *name, Factory factory)
{
    entries().emplace_back(name, std::move(factory));
    return true;
}

} // namespace TestRegistry

#define TORVA_TEST(Class)                                                                                    \
    static const bool torva_registered_##Class =                                                             \
        TestRegistry::add(#Class, [] { return std::unique_ptr<QObject>(new Class); });
