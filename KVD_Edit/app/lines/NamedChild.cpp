#include "KVD_Edit/app/lines/NamedChild.h"

#include "KVD3/KVDXmlFile.h"
#include "orq_utils/Str.h"

bool GotoNamedChild(ORQ::CKVDXmlFile *file, const char *element, const std::string &name) {
    if (!file->GotoChildNode(element, 0))
        return false;
    do {
        ORQ::CStr value("name");
        if (file->GetNodeAttribute(value) && ORQ::CStr::CompareNoCase(value, name) == 0)
            return true;
    } while (file->GotoNextSibling(element));
    file->GotoParentNode();
    return false;
}
