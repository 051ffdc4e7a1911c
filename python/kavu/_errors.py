"""The errors of kavu: every one a ValueError carrying its reason in English."""

from __future__ import annotations

from typing import Any, Optional, Sequence


class ReadError(ValueError):
    """A text that is not a designation or a point.

    ``reason`` says what is wrong, ``position`` is the index in ``text`` (in characters) of
    the part that is wrong.
    """

    def __init__(self, reason: str, position: int, text: str) -> None:
        super().__init__(f"{reason} (at character {position} of {text!r})")
        self.reason = reason
        self.position = position
        self.text = text


class AmbiguousName(ReadError):
    """A designation with several readings; ``readings`` lists them, the window's first."""

    def __init__(self, text: str, readings: Sequence[Any]) -> None:
        names = ", ".join(f"{r.old} (1:{r.scale:,})" for r in readings)
        ReadError.__init__(self, f"the name has {len(readings)} readings: {names}", 0, text)
        self.readings = list(readings)


class OutsideSeries(ValueError):
    """A point where the series has no sheet (beyond 84 degrees of latitude, or not a position
    at all), or one PROJ cannot take to the 1942 datum."""

    def __init__(self, reason: str, position: Optional[int] = None) -> None:
        super().__init__(reason)
        self.reason = reason
        self.position = position
