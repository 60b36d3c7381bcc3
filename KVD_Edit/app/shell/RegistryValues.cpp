#include "KVD_Edit/app/shell/RegistryValues.h"

#include "KVD_Edit/platform/RegistryStore.h"
#include "orq_utils/MessageSink.h"

#include <cerrno>
#include <cstring>

namespace {

std::string KeyOf(const std::string &company) {
    return "SOFTWARE\\" + company;
}

// The user's store that holds the key, creating it volatile when neither has it.
bool OpenOrCreateUserKey(const std::string &key, CRegistryStore &store) {
    CRegistryStore persistent = CRegistryStore::CurrentUser();
    if (persistent.KeyExists(key)) {
        store = persistent;
        return true;
    }
    store = CRegistryStore::CurrentUserVolatile();
    return store.CreateKey(key);
}

} // namespace

bool WriteRegString(const std::string &company, const std::string &valueName,
                    const std::string &text, size_t byteCount) {
    const std::string key = KeyOf(company);
    CRegistryStore store(std::string{});
    if (!OpenOrCreateUserKey(key, store))
        return false;
    std::string data = text.substr(0, byteCount);
    const size_t zero = data.find('\0');
    if (zero != std::string::npos)
        data.erase(zero);
    return store.SetValue(key, valueName, data);
}

bool DeleteRegValue(const std::string &company, const std::string &valueName) {
    const std::string key = KeyOf(company);
    CRegistryStore store(std::string{});
    if (!OpenOrCreateUserKey(key, store))
        return false;
    return store.DeleteValue(key, valueName);
}

std::string ReadRegString(const std::string &company, const std::string &valueName,
                          size_t maxLength) {
    const std::string key = KeyOf(company);
    for (const CRegistryStore &store :
         {CRegistryStore::CurrentUser(), CRegistryStore::CurrentUserVolatile(),
          CRegistryStore::LocalMachine()}) {
        std::string value;
        if (store.GetValue(key, valueName, value) && value.size() + 1 <= maxLength)
            return value;
    }
    return std::string();
}

std::string GetLastErrorText(bool showBox) {
    const int error = errno;
    std::string text = std::strerror(error);
    if (showBox)
        ORQ::ShowMessage(text, ORQ::MB_OK | ORQ::MB_ICONINFORMATION, "Registry Error");
    return text;
}
