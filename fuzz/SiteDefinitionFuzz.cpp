// Site definition reading: the input is a project file; its "SiteDefinition" block is read as
// the project interface reads it, and every field and the job date are asked for.

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdInterface.h"
#include "KVD3/SiteDefinition.h"
#include "fuzz/FuzzSupport.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvdfuzz::Quiet();
    const std::string path = kvdfuzz::Scratch("site.kvd");
    kvdfuzz::WriteBytes(path, data, size);

    ORQ::CKVDXmlFile file;
    if (!file.Initialize(path.c_str()))
        return 0;
    std::unique_ptr<ORQ::CKvdInterface> project(ORQ::CKvdInterface::CreateAndInit(&file));
    if (!project)
        return 0;
    file.GotoRootNode();
    ORQ::CStr errors;
    project->LoadSiteDefinition(errors);
    const ORQ::CSiteDefinition *site = project->GetSiteDefinition();
    kvdfuzz::Check(site != nullptr, "a project has a site definition");
    kvdfuzz::Check(site->m_Comments.size() <= size_t(ORQ::CSiteDefinition::kMaxCommentNumber),
                   "comments keep within their numbers");
    for (const auto &field : site->m_Fields) {
        ORQ::CStr text;
        kvdfuzz::Check(site->GetFieldString(field.first, text) == 1 && text == field.second,
                       "every field read is found by its name");
        ORQ::CDateTime when;
        ORQ::CSiteDefinition::ParseDate(std::string(field.second.c_str()), when);
    }

    // The block also reads straight from its element, as the project writer reads it.
    file.GotoRootNode();
    if (file.GotoChildNode("SiteDefinition", 0)) {
        ORQ::CSiteDefinition direct;
        direct.Load(&file);
    }
    ORQ::SCreatedBy records[8];
    project->GetCreatedByBlock(records, 8);
    return 0;
}
