#pragma once

// What the GPS format dialog decides, without a window: the values its controls show, the
// configuration built from them and the sample text.

#include "KVD_Edit/GPSINFO/GPSConfig.h"

#include "Quillon/Quillon.h"

#include <string>

class CGPSConfigForm {
public:
    // Values of the default configuration; the sample position lies in zone 17, letter T.
    CGPSConfigForm();

    // Takes the control values, decimals and texts from a configuration. An ellipsoid id
    // outside the table shows WGS-84.
    void Load(const std::string &configuration);
    // The configuration the control values stand for, in the stored form.
    std::string BuildConfiguration() const;
    // The sample position formatted as the configuration says.
    std::string SampleText() const;

    // Enable rules of the two groups.
    bool LatLongGroupEnabled() const { return m_showLatLong; }
    bool UTMGroupEnabled() const { return m_showUTM; }

    // Control values. The ellipsoid index is the list position (id - 1); the hemisphere index
    // the list position of the style; the lat/long mode 0 (D M S) or 1 (decimal degrees), other
    // stored values being kept until a radio button is chosen.
    bool m_showLatLong = true;
    int m_latLongMode = 1;
    int m_hemisphereIndex = 2;
    bool m_showUTM = true;
    int m_ellipsoidIndex = 22;
    bool m_showUTMLetter = true;
    bool m_showUTMZone = true;

    const SLatLong &SampleLatLong() const { return m_sampleLatLong; }
    const SUTMCoord &SampleUTM() const { return m_sampleUTM; }

private:
    // Decimals and texts that no control edits: kept from the configuration.
    SGPSConfig m_kept;
    SLatLong m_sampleLatLong;
    SUTMCoord m_sampleUTM;
};
