"""The "Identify sheet" map tool: the sheets under a click at every scale."""

from qgis.gui import QgsMapTool
from qgis.PyQt.QtCore import QCoreApplication, Qt, pyqtSignal
from qgis.PyQt.QtWidgets import (
    QApplication,
    QDialog,
    QDialogButtonBox,
    QLabel,
    QPushButton,
    QTableWidget,
    QTableWidgetItem,
    QVBoxLayout,
)

from . import engine


def tr(text):
    return QCoreApplication.translate("Kavu", text)


def dms(value, positive, negative):
    hemisphere = positive if value >= 0 else negative
    seconds = round(abs(value) * 3600.0, 1)
    d, rest = divmod(seconds, 3600.0)
    m, s = divmod(rest, 60.0)
    return "{}°{:02d}′{:04.1f}″{}".format(int(d), int(m), s, hemisphere)


class Answer:
    """The sheets holding a point of the canvas: rows of (scale, new, old, published), or the
    reason there are none."""

    def __init__(self, point, crs, transform_context=None):
        self.rows, self.error = [], None
        self.latitude = self.longitude = None
        try:
            to_series = engine.ToSeries(crs, transform_context)
            lat, lon = to_series.geographic(point)
            for denominator, short in engine.SCALES:
                sheet = engine.sheet_at(lat, lon, short, to_series.datum)
                if sheet is None:
                    continue
                published = engine.joined(sheet)
                self.rows.append(
                    (denominator, sheet.new, sheet.old, published.old if published else "")
                )
            self.latitude, self.longitude = to_series.series(lat, lon)
        except ValueError as error:
            self.error = str(error)
            return
        if not self.rows:
            self.error = tr("The series has no sheets beyond 84° of latitude.")

    def position(self):
        if self.latitude is None:
            return ""
        return "{} {} (1942)".format(
            dms(self.latitude, "N", "S"), dms(self.longitude, "E", "W")
        )

    def text(self):
        """What the copy button copies: the point, then one tab-separated line a scale."""
        if self.error:
            return self.error
        lines = [self.position()]
        for denominator, new, old, published in self.rows:
            line = "\t".join((engine.scale_label(denominator), new, old))
            lines.append(line + ("\t" + published if published else ""))
        return "\n".join(lines)


class AnswerDialog(QDialog):
    def __init__(self, parent=None):
        super().__init__(parent)
        self.setObjectName("KavuIdentifyDialog")
        self.setWindowTitle(tr("Sheets under the point"))
        self.answer = None
        self.position = QLabel()
        self.table = QTableWidget(0, 4)
        self.table.setHorizontalHeaderLabels(
            [tr("Scale"), tr("New notation"), tr("Old notation"), tr("Printed in")]
        )
        self.table.setEditTriggers(QTableWidget.NoEditTriggers)
        self.table.verticalHeader().hide()
        buttons = QDialogButtonBox(QDialogButtonBox.Close)
        self.copy = QPushButton(tr("Copy"))
        self.copy.setObjectName("KavuCopy")
        buttons.addButton(self.copy, QDialogButtonBox.ActionRole)
        buttons.rejected.connect(self.hide)
        self.copy.clicked.connect(self.copy_answer)
        layout = QVBoxLayout(self)
        layout.addWidget(self.position)
        layout.addWidget(self.table)
        layout.addWidget(buttons)

    def show_answer(self, answer):
        self.answer = answer
        self.position.setText(answer.error or answer.position())
        self.table.setRowCount(len(answer.rows))
        for r, row in enumerate(answer.rows):
            cells = (engine.scale_label(row[0]),) + row[1:]
            for c, value in enumerate(cells):
                self.table.setItem(r, c, QTableWidgetItem(value))
        self.table.resizeColumnsToContents()
        # Every row and column in sight, without scrolling.
        frame = 2 * self.table.frameWidth()
        self.table.setMinimumSize(
            self.table.horizontalHeader().length() + frame,
            self.table.horizontalHeader().height() + self.table.verticalHeader().length() + frame,
        )
        self.copy.setEnabled(not answer.error)
        self.adjustSize()
        self.show()
        self.raise_()

    def copy_answer(self):
        if self.answer is not None:
            QApplication.clipboard().setText(self.answer.text())


class IdentifySheetTool(QgsMapTool):
    answered = pyqtSignal(object)

    def __init__(self, canvas):
        super().__init__(canvas)
        self.dialog = AnswerDialog(canvas.window())
        self.setCursor(Qt.CrossCursor)

    def canvasReleaseEvent(self, event):
        if event.button() != Qt.LeftButton:
            return
        canvas = self.canvas()
        answer = Answer(
            self.toMapCoordinates(event.pos()),
            canvas.mapSettings().destinationCrs(),
            canvas.mapSettings().transformContext(),
        )
        self.dialog.show_answer(answer)
        self.answered.emit(answer)

    def close(self):
        self.dialog.hide()
        self.dialog.deleteLater()
