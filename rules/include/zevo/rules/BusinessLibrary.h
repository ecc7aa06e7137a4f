#pragma once
// Loads the rules library at run time and creates its objects by class name.
// Header-only so that the program and the tests use the same code. The library is
// never unloaded: the objects it creates carry its code, and a declaration may keep
// them until the program ends.
#include <dlfcn.h>

#include <memory>
#include <string>

#include "zevo/ErrorLog.h"
#include "zevo/rules/RuleObject.h"

namespace zevo::rules {

inline constexpr const char* kBusinessLibraryFile = "libZEVO_Business.so";
// "ActiveX component can't create object": what a failed creation is logged as.
inline constexpr int kCannotCreateObject = 429;

class BusinessLibrary {
public:
    // `location` is the folder that holds the library, or the library file itself.
    explicit BusinessLibrary(std::string location) : location_(std::move(location)) {}

    // Full path of the library file this loader opens.
    std::string libraryPath() const {
        const std::string suffix = ".so";
        if (location_.size() >= suffix.size() &&
            location_.compare(location_.size() - suffix.size(), suffix.size(), suffix) == 0)
            return location_;
        if (location_.empty()) return kBusinessLibraryFile;
        return location_.back() == '/' ? location_ + kBusinessLibraryFile
                                       : location_ + "/" + kBusinessLibraryFile;
    }

    // The object of that class, or nullptr: an empty (or blank) name means no object
    // and is not an error; a library that does not load or a name it does not know
    // is logged.
    std::unique_ptr<ComObject> create(const std::string& className) {
        if (className.find_first_not_of(' ') == std::string::npos) return nullptr;
        CreateObjectFunction factory = resolve();
        if (!factory) return nullptr;
        void* object = factory(className.c_str());
        if (!object) {
            WriteErrorLog("mdlFunctions", "CreateObject", kCannotCreateObject,
                          "Cannot create object: " + className);
            return nullptr;
        }
        return std::unique_ptr<ComObject>(static_cast<ComObject*>(object));
    }

    std::unique_ptr<RuleObject> createRule(const std::string& className) {
        return narrow<RuleObject>(create(className), ObjectKind::Rule, className);
    }
    std::unique_ptr<ReportObject> createReport(const std::string& className) {
        return narrow<ReportObject>(create(className), ObjectKind::Report, className);
    }

private:
    CreateObjectFunction resolve() {
        if (factory_) return factory_;
        const std::string path = libraryPath();
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = dlerror();
            WriteErrorLog("mdlFunctions", "CreateObject", kCannotCreateObject,
                          why ? why : ("Cannot load " + path));
            return nullptr;
        }
        void* symbol = dlsym(handle, kCreateObjectSymbol);
        if (!symbol) {
            const char* why = dlerror();
            WriteErrorLog("mdlFunctions", "CreateObject", kCannotCreateObject,
                          why ? why : ("No CreateObject in " + path));
            return nullptr;
        }
        factory_ = reinterpret_cast<CreateObjectFunction>(symbol);
        return factory_;
    }

    template <class T>
    static std::unique_ptr<T> narrow(std::unique_ptr<ComObject> object, ObjectKind kind,
                                     const std::string& className) {
        if (!object) return nullptr;
        if (object->kind() != kind) {
            WriteErrorLog("mdlFunctions", "CreateObject", err::kTypeMismatch,
                          "Object of another kind: " + className);
            return nullptr;
        }
        return std::unique_ptr<T>(static_cast<T*>(object.release()));
    }

    std::string location_;
    CreateObjectFunction factory_ = nullptr;
};

}  // namespace zevo::rules
