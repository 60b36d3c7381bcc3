#include "KVD_Edit/app/shell/ProgramIdentity.h"

#include "KVD_Edit/app/shell/VersionStrings.h"

SProgramIdentity GetProgramIdentity() {
    return SProgramIdentity{KVD_VERSION_INTERNALNAME, KVD_VERSION_PRODUCTVERSION,
                            KVD_VERSION_SOFTWAREDIP};
}

ORQ::SCreatedBy MakeCreatedBy(const SProgramIdentity &identity, const std::string &comment) {
    ORQ::SCreatedBy record;
    record.name = identity.name;
    record.version = identity.version;
    record.DIP = identity.DIP;
    record.when = ORQ::CDateTime::GetCurrentTime();
    record.comment = comment;
    return record;
}
