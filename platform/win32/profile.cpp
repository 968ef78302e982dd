// The application profile on Windows: the registry key
// HKEY_CURRENT_USER\Software\<company>\<application>\<section>, strings as REG_SZ and integers
// as REG_DWORD.
#include "platform/profile.h"

#include <windows.h>

#include <vector>

#include "platform/win32/application.h"

namespace lw {

namespace {

std::string& companyKey() {
    static std::string company;
    return company;
}

std::string sectionPath(const std::string& section) {
    std::string path = "Software\\";
    if (!companyKey().empty()) {
        path += companyKey() + "\\";
    }
    path += win32::applicationName() + "\\" + section;
    return path;
}

// An open key, closed when it goes.
class Key {
  public:
    Key(const std::string& path, bool forWriting) {
        const LONG status =
            forWriting
                ? RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key_, nullptr)
                : RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key_);
        if (status != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~Key() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

}  // namespace

void Profile::SetCompanyKey(const std::string& company) {
    companyKey() = company;
}

std::string Profile::GetString(const std::string& section, const std::string& key,
                               const std::string& defaultValue) {
    const Key open(sectionPath(section), false);
    if (open.get() == nullptr) {
        return defaultValue;
    }
    // The value may change between the size and the read; read again until it fits.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(open.get(), key.c_str(), nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ) {
            return defaultValue;
        }
        std::vector<char> data(size + 1, '\0');
        DWORD read = size;
        const LONG status = RegQueryValueExA(open.get(), key.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &read);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS || type != REG_SZ) {
            return defaultValue;
        }
        // A stored string need not end with its terminator; it ends at the first one it has.
        data[read] = '\0';
        return std::string(data.data());
    }
    return defaultValue;
}

int Profile::GetInt(const std::string& section, const std::string& key, int defaultValue) {
    const Key open(sectionPath(section), false);
    if (open.get() == nullptr) {
        return defaultValue;
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(open.get(), key.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return defaultValue;
    }
    return static_cast<int>(value);
}

void Profile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
    const Key open(sectionPath(section), true);
    if (open.get() != nullptr) {
        RegSetValueExA(open.get(), key.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }
}

void Profile::WriteInt(const std::string& section, const std::string& key, int value) {
    const Key open(sectionPath(section), true);
    if (open.get() != nullptr) {
        const auto data = static_cast<DWORD>(value);
        RegSetValueExA(open.get(), key.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                       sizeof data);
    }
}

}  // namespace lw
