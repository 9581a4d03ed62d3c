// Reports written as PDF files: replaced only once the whole report is on disk.

#include "report/report_renderer.h"

#include "data/engine/db_error.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace kv {

const QString ReportRenderer::kNotWritten = QStringLiteral("The report could not be written to %1: %2");

namespace {

// A disk that fills up part-way through a write makes a short write, for
// which Qt has no reason but "Unknown error"; one more byte (into the
// temporary file that is dropped anyway) asks the system for its own words.
QString writeFailure(QFileDevice &out)
{
#ifdef Q_OS_UNIX
    const char byte = 0;
    if (out.handle() >= 0 && ::write(out.handle(), &byte, 1) < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
#endif
    return out.errorString();
}

// Draws the report as a PDF onto an open device; the caller checks the
// device for refused writes (a full disk, a file-size limit).
void writePdf(ReportRenderer &r, const ReportTemplate &tmpl, QIODevice &device)
{
    QPdfWriter pdf(&device);
    pdf.setTitle(tmpl.title);
    pdf.setCreator(QStringLiteral("Kestrovan"));
    pdf.setResolution(600);
    r.render(pdf);
}

} // namespace

ReportOutcome ReportRenderer::renderToPdf(const ReportTemplate &tmpl, const ReportSources &sources, const ReportRun &run,
                                          const QString &pdfFileName)
{
    ReportRenderer r(tmpl, sources, run);
    r.check(); // before the file is created
    const QFileInfo target(pdfFileName);
    if (target.exists() && !target.isFile()) {
        // A device or a pipe (/dev/stdout, /dev/full) cannot be replaced; it is
        // written in place, and every write is checked.
        QFile out(pdfFileName);
        if (!out.open(QIODevice::WriteOnly))
            throw Error(kNotWritten.arg(pdfFileName, out.errorString()));
        writePdf(r, tmpl, out);
        if (!out.flush() || out.error() != QFileDevice::NoError)
            throw Error(kNotWritten.arg(pdfFileName, out.errorString()));
        out.close();
        return r.outcome();
    }
    // Written beside the target and put in its place only once every page
    // and the file's end are on disk: a full disk, a failed page or a killed
    // process leaves the previous file as it was.
    QSaveFile out(pdfFileName);
    if (!out.open(QIODevice::WriteOnly))
        throw Error(kNotWritten.arg(pdfFileName, out.errorString()));
    writePdf(r, tmpl, out); // an exception discards the temporary file
    // The last bytes are written out here, so that a full disk is reported
    // before commit() closes the file and forgets why.
    if (out.error() == QFileDevice::NoError)
        out.flush();
    if (out.error() != QFileDevice::NoError)
        throw Error(kNotWritten.arg(pdfFileName, writeFailure(out)));
    if (!out.commit())
        throw Error(kNotWritten.arg(pdfFileName, out.errorString()));
    return r.outcome();
}

} // namespace kv
