"""The Sheet object, the readers and the errors."""
import pickle

import pytest

import kavu


def test_moscow_at_every_scale():
    expected = {
        "1M": ("N-37", "14-37"),
        "500k": ("N-37-А", "14-37-1"),
        "100k": ("N-37-4", "14-37-004"),
        "50k": ("N-37-4-В", "14-37-004-3"),
    }
    for scale, (old, new) in expected.items():
        s = kavu.sheet(55.7558, 37.6173, scale)
        assert (s.old, s.new, str(s)) == (old, new, old)
    s = kavu.sheet(55.7558, 37.6173)
    assert repr(s) == 'kavu.Sheet("N-37-4-В")' and eval(repr(s)) == s
    assert s.scale == 50000 and (s.north, s.south, s.west, s.east) == pytest.approx((55 + 5 / 6, 55 + 4 / 6, 37.5, 37.75))
    assert s.published is None


def test_object_semantics():
    a, b = kavu.Sheet("N-37-4-В"), kavu.Sheet("14-37-004-3")
    assert a == b and hash(a) == hash(b) and len({a, b}) == 1
    assert a != kavu.Sheet("N-37-4-Г") and a != "N-37-4-В"
    with pytest.raises(AttributeError):
        a.north = 0  # type: ignore[misc]
    row = [kavu.Sheet("N-37-4-Г"), kavu.Sheet("M-37-1-А"), kavu.Sheet("N-37-4-В"), kavu.Sheet("N-37")]
    # Scale first, then north to south, then west to east.
    assert [s.old for s in sorted(row)] == ["N-37", "N-37-4-В", "N-37-4-Г", "M-37-1-А"]
    assert pickle.loads(pickle.dumps(a)) == a
    for text in ("s I-34-XIII", "N-37-4-В-а-2", "T-37-1-А"):
        s = kavu.Sheet(text)
        assert eval(repr(s)) == s and kavu.Sheet(s.new) == s


def test_family():
    s = kavu.Sheet("N-37-4-В")
    assert s.parent("1M") == kavu.Sheet("N-37") and s.parent(100000).old == "N-37-4"
    assert s.parent("50k") == s
    kids = s.children("10k")
    assert len(kids) == 16 and all(k.parent("50k") == s for k in kids)
    assert kids == sorted(kids) and len(set(kids)) == 16
    assert [k.old for k in s.children("25k")] == ["N-37-4-В-а", "N-37-4-В-б", "N-37-4-В-в", "N-37-4-В-г"]
    with pytest.raises(ValueError):
        s.children("100k")
    with pytest.raises(ValueError):
        s.parent("10k")
    block = s.neighbours()
    assert block[1][1] == s and [c.old for c in block[0]] == ["N-37-3-Б", "N-37-4-А", "N-37-4-Б"]
    assert block[1][0].east == s.west and block[2][1].north == s.south
    top = kavu.sheet(83.9, 179.9, "1M").neighbours()
    assert top[0] == (None, None, None) and top[1][2].old == "U-1"  # wraps at 180 degrees


def test_published():
    s = kavu.Sheet("P-38")
    p = s.published
    assert p is not None and p.old == "P-37,38" and p.new == "16-37,38"
    assert p.members == (kavu.Sheet("P-37"), s) and (p.west, p.east) == (36.0, 48.0)
    group = kavu.read("P-37,38")
    assert len(group) == 1 and group[0] == p
    with pytest.raises(kavu.ReadError, match="published sheet"):
        kavu.Sheet("P-37,38")


def test_readers():
    readings = kavu.read("o37-123-1")
    assert readings[0] == kavu.Sheet("O-37-123-А")
    assert kavu.read_point("55°45'21\"N 37°37'02\"E") == pytest.approx((55.755833, 37.617222), abs=1e-6)
    assert kavu.read_point("55,7558; 37,6173") == (55.7558, 37.6173)
    # The window's own spelling is one sheet; another spelling of several readings is not.
    assert kavu.Sheet("N-37-4").scale == 100000
    several = kavu.read("n-37-4")
    assert several == [kavu.Sheet("N-37-4"), kavu.Sheet("N-37-Г")]
    with pytest.raises(kavu.AmbiguousName) as caught:
        kavu.Sheet("n-37-4")
    assert caught.value.readings == several and "N-37-Г (1:500,000)" in caught.value.reason
    # frames() decides as Sheet() does: the ambiguous spelling gets no frame.
    assert kavu.frames(["N-37-4", "n-37-4"])[:, 0].tolist()[0] == 37.5
    assert kavu.frames(["n-37-4"], return_mask=True)[1].tolist() == [True]


def test_errors_carry_reason_and_position():
    with pytest.raises(kavu.ReadError) as caught:
        kavu.Sheet("N-61")
    e = caught.value
    assert isinstance(e, ValueError) and e.text == "N-61" and "61" in e.reason
    assert e.position == 2
    # Positions count characters, not bytes.
    with pytest.raises(kavu.ReadError) as caught:
        kavu.Sheet("Р-37-4-В-99")
    assert caught.value.position == caught.value.text.index("99")
    with pytest.raises(kavu.ReadError) as caught:
        kavu.read_point("55.7558 north")
    assert caught.value.reason
    for lat, lon in ((84.5, 37.0), (-84.0, 10.0), (float("nan"), 0.0), (0.0, 181.0)):
        with pytest.raises(kavu.OutsideSeries):
            kavu.sheet(lat, lon)
    with pytest.raises(ValueError, match="75k"):
        kavu.sheet(55, 37, "75k")
    with pytest.raises(ValueError, match="datum"):
        kavu.sheet(55, 37, "50k", datum="nad27")
    with pytest.raises(ValueError, match="notation"):
        kavu.sheets([55], [37], "50k", notation="roman")
    with pytest.raises(TypeError):
        kavu.sheet(55, 37, 1.5)


def test_grid_iterates_like_the_tool_box():
    box = list(kavu.grid((37, 55.5, 38, 56), "100k"))
    assert [s.old for s in box] == ["N-37-3", "N-37-4", "N-37-15", "N-37-16"]
    it = kavu.grid((-180, -84, 180, 84), "10k")  # 23 million sheets, one at a time
    assert next(it).old == "U-1-1-А-а-1" and next(it).old == "U-1-1-А-а-2"
    across = [s.old for s in kavu.grid((179, 55.5, -179, 56), "100k")]
    assert across == ["N-60-11", "N-60-12", "N-1-1", "N-1-2", "N-60-23", "N-60-24", "N-1-13", "N-1-14"]
    with pytest.raises(ValueError):
        kavu.grid((37, 56, 38, 55), "100k")
