// CAmplitudeView: the page of an Amplitude step: the Top and Bottom of the
// scale, kept inside -180 to 180 with Top at least 0.1 above Bottom, and a
// help table of the scale ranges the instrument accepts per measurement mode
// (2-port rows only on the models that have those modes).
#pragma once

#include "editors/framework/RecordPage.h"

class QGridLayout;

namespace stepvane {

class CAmplitudeView : public RecordPage<AmplitudeTask> {
    Q_OBJECT
public:
    CAmplitudeView(PageContext &context, QWidget *parent = nullptr);

    // After a commit of Top (topMoved) or Bottom: the gap rule, resolved
    // inside the bounds.
    static void committed(AmplitudeTask &r, bool topMoved);

protected:
    void fillRecord(AmplitudeTask &record) override;

private:
    void buildHelpTable(int modelIndex);

    QWidget *m_help;
    QGridLayout *m_helpGrid;
    int m_helpModel = -1;
};

} // namespace stepvane
