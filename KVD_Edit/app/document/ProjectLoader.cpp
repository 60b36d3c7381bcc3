#include "KVD_Edit/app/document/ProjectLoader.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/GPSINFO/GPSConfig.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/document/ProjectSaver.h"
#include "KVD_Edit/app/shell/INIAccess.h"
#include "orq_utils/MessageSink.h"

bool CProjectLoader::CreateFromTemplate(CKvdGprDataFiles &holder, CMapperSettings &settings,
                                        const std::string &templatePath, const std::string &newPath,
                                        INIAccess *ini, const SProgramIdentity &identity) {
    if (holder.LoadKvdXmlFile(templatePath.c_str()) != 1) {
        ORQ::ShowMessage(std::string(kMsgTemplateFailed) + templatePath + kMsgTemplateFailedTail,
                         ORQ::MB_OK);
        return false;
    }
    settings.Load(&holder);
    settings.GPSConfiguration =
        ini ? ini->ReadIni("GENERAL", "GPSConfiguration", DEFAULT_GPS_CONFIGURATION)
            : std::string(DEFAULT_GPS_CONFIGURATION);
    settings.RebuildGPSFormat();

    ORQ::CKVDXmlFile *file = holder.GetKvdXmlFile();
    if (!file) {
        ORQ::ShowMessage(kMsgNoMemory, ORQ::MB_OK);
        return false;
    }
    if (file->GotoRootNode() && file->GotoChildNode("Data", 0))
        file->AppendCreatedByBlock(MakeCreatedBy(identity, "FILE CREATION"));

    if (holder.SaveKvdXmlFile(newPath.c_str()) != 0) {
        holder.Close();
        ORQ::ShowMessage(std::string(kMsgCreateFailed) + newPath + kMsgCreateFailedTail,
                         ORQ::MB_OK);
        return false;
    }
    return true;
}

bool CProjectLoader::Open(CKvdGprDataFiles &holder, CMapperSettings &settings,
                          const std::string &path, bool checkGPSImport) {
    if (holder.LoadKvdXmlFile(path.c_str()) != 1) {
        ORQ::ShowMessage(kMsgOpenFailedHint, ORQ::MB_OK | ORQ::MB_ICONINFORMATION);
        return false;
    }
    settings.Load(&holder);
    if (checkGPSImport)
        settings.LocalWorld.EnableGPS = 3;
    return true;
}
