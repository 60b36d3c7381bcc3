#include "KVD_Edit/GPSINFO/GPSConfigForm.h"

CGPSConfigForm::CGPSConfigForm() {
    Load(DEFAULT_GPS_CONFIGURATION);
    // 43.5 N, 80.25 W (southern Ontario) and the same point in UTM 17T on WGS-84.
    m_sampleLatLong.latitude = 43.5;
    m_sampleLatLong.longitude = -80.25;
    m_sampleUTM.zone = 17;
    m_sampleUTM.letter = 'T';
    GPS_LLtoUTMZone(m_sampleLatLong, m_sampleUTM, QUILLON_WGS84);
}

void CGPSConfigForm::Load(const std::string &configuration) {
    m_kept = ParseGPSConfiguration(configuration);
    m_showLatLong = m_kept.ShowLatLong != 0;
    m_latLongMode = m_kept.LatLongMode;
    m_hemisphereIndex = m_kept.HemisphereStyle;
    m_showUTM = m_kept.ShowUTM != 0;
    m_ellipsoidIndex = ValidGPSEllipsoid(m_kept.Ellipsoid) - 1;
    m_showUTMLetter = m_kept.ShowUTMLetter != 0;
    m_showUTMZone = m_kept.ShowUTMZone != 0;
}

std::string CGPSConfigForm::BuildConfiguration() const {
    SGPSConfig c = m_kept;
    c.ShowLatLong = m_showLatLong ? 1 : 0;
    c.LatLongMode = m_latLongMode;
    c.HemisphereStyle = m_hemisphereIndex;
    c.ShowUTM = m_showUTM ? 1 : 0;
    c.Ellipsoid = ValidGPSEllipsoid(m_ellipsoidIndex + 1);
    c.ShowUTMLetter = m_showUTMLetter ? 1 : 0;
    c.ShowUTMZone = m_showUTMZone ? 1 : 0;
    return FormatGPSConfiguration(c);
}

std::string CGPSConfigForm::SampleText() const {
    const std::string format = BuildGPSFormatString(BuildConfiguration());
    return GPS_FormatCoordinateString(format.c_str(), &m_sampleLatLong, &m_sampleUTM);
}
