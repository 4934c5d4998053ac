"""form, passwordform and mixedform: labelled fields in argument order; the
answer is every field's text, one unquoted line each, for OK and Extra."""

import pyatspi
import pytest

from harness import (ENTRY_ROLES, entries, field, has_state, position, set_text, text_of,
                     unexpected, wait_for_text, wait_until)

pytestmark = pytest.mark.wayland


def mixed(label, init, flags, fieldlen=20, maxletters=0):
    return field(label, init, fieldlen, maxletters) + [flags]


def editable(entry):
    return has_state(entry, pyatspi.STATE_EDITABLE)


def right_edge(acc):
    extents = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x + extents.width


@pytest.mark.parametrize(
    "args",
    [
        ["--form", "t", 0, 0, "1", *field("a", "b"), "extra"],
        ["--mixedform", "t", 0, 0, "1", *field("a", "b")],
        ["--form", "t", 0, 0, "--", "-1", *field("a", "b")],
        ["--mixedform", "t", 0, 0, "--", "-1"],
        ["--passwordform", "t", 0, 0, "1", "a", "b"],
    ],
)
def test_wrong_groups_or_negative_formrows_fail(wrenpane, args):
    dialog = args[0]
    extra = [str(a) for a in args[4:] if a != "--"]
    assert wrenpane.run(*args) == (255, unexpected(dialog, *extra), b"")


def test_no_fields_answers_nothing(wrenpane):
    app = wrenpane.start("--form", "Nothing to fill", 0, 0, "0")
    dialog = app.dialog()
    assert entries(dialog) == []
    dialog.press("OK")
    assert app.finish() == (0, b"", b"")


def test_fields_stack_in_argument_order_and_take_typed_unicode(wrenpane):
    # Coordinates that would put the second field above the first are
    # ignored: rows follow the argument order.
    app = wrenpane.start(
        "--form", "t", 0, 0, "2", *field("First", "one", y=5), *field("Second", "two", y=1),
    )
    dialog = app.dialog()
    first, second = entries(dialog)
    assert [text_of(first), text_of(second)] == ["one", "two"]
    assert position(first)[1] < position(second)[1]
    dialog.type("ßé ✓", into=second)  # focusing selects "two": typing replaces it
    wait_for_text(second, "ßé ✓")
    dialog.key("Return")
    assert app.finish() == (0, b"", "one\nßé ✓\n".encode())


def test_field_length_rules(wrenpane):
    # (fieldlen, maxletters) -> editable, characters kept of 50 pasted.
    cases = [
        ((0, 0), True, 50),  # no limit; fills the row
        ((12, 0), True, 12),
        ((-20, 0), False, None),  # read-only, 20 wide, limit 20
        ((10, 40), True, 40),
        ((0, 7), True, 7),
        ((8, -5), True, 50),  # no limit, does not expand
    ]
    groups = []
    for n, ((fieldlen, maxletters), _, _) in enumerate(cases):
        groups += field(f"F{n}", "r" * 25 if fieldlen < 0 else "", fieldlen, maxletters)
    # "--" keeps the negative fieldlen from being taken for an option.
    app = wrenpane.start("--form", "t", 0, 60, "--", "6", *groups)
    dialog = app.dialog()
    fields = entries(dialog)
    assert len(fields) == len(cases)

    answer = []
    for entry, ((fieldlen, _), can_edit, kept) in zip(fields, cases):
        assert editable(entry) == can_edit, fieldlen
        if can_edit:
            set_text(entry, "y" * 50)
            wait_for_text(entry, "y" * kept)
            answer.append("y" * kept)
        else:
            # The limit of 20 applies to typing: the longer initial text
            # is kept whole, and it cannot be changed.
            assert text_of(entry) == "r" * 25
            answer.append("r" * 25)

    # Only the field without any limit stretches to the end of its row.
    edges = [right_edge(e) for e in fields]
    assert edges[0] > max(edges[1:])

    dialog.press("OK")
    assert app.finish() == (0, b"", "".join(f"{a}\n" for a in answer).encode())


def test_mixedform_flags(wrenpane):
    app = wrenpane.start(
        "--mixedform", "t", 0, 0, "5",
        *mixed("Plain", "p", 0),
        *mixed("Hidden", "h", 1),
        *mixed("Locked", "fixed value", 2),
        *mixed("Both", "b", 3),
        *mixed("Note", "Note", 2),  # label only, still answered
        *mixed("Other bits", "o", 4),
    )
    dialog = app.dialog()
    fields = entries(dialog)
    roles = [e.getRole() for e in fields]
    assert roles == [
        pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_TEXT,
        pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_TEXT,
    ]
    assert [editable(e) for e in fields] == [True, True, False, False, True]
    assert text_of(fields[2]) == "fixed value"

    set_text(fields[1], "new secret")
    wait_until(lambda: len(text_of(fields[1])) == 10, "the hidden field's new text")
    dialog.press("OK")
    assert app.finish() == (0, b"", b"p\nnew secret\nfixed value\nb\nNote\no\n")


def test_mixedform_label_only_row_needs_exact_equality(wrenpane):
    app = wrenpane.start("--mixedform", "t", 0, 0, "1", *mixed("Note", "Note ", 2))
    dialog = app.dialog()
    (entry,) = entries(dialog)
    assert not editable(entry)
    dialog.press("OK")
    assert app.finish() == (0, b"", b"Note \n")


@pytest.mark.parametrize(
    "args",
    [
        ["--passwordform", "t", 0, 0],
        ["--insecure", "--form", "t", 0, 0],
    ],
)
def test_every_field_hidden_and_answered_in_clear(wrenpane, args):
    app = wrenpane.start(*args, "2", *field("User", "me"), *field("Pin", ""))
    dialog = app.dialog()
    fields = entries(dialog)
    assert [e.getRole() for e in fields] == [pyatspi.ROLE_PASSWORD_TEXT] * 2
    dialog.type("12é4", into=fields[1])
    wait_until(lambda: len(text_of(fields[1])) == 4, "four typed characters")
    dialog.press("OK")
    assert app.finish() == (0, b"", "me\n12é4\n".encode())


def test_invalid_utf8_and_huge_numbers_stay_quiet(wrenpane):
    app = wrenpane.start(
        "--form", b"t", 0, 0, "2",
        *field(b"L\xff", b"i\xfej", fieldlen=2147483647, maxletters=4000000000),
        *field("Wide", "w", fieldlen=99999999999999999999, maxletters=0),
    )
    dialog = app.dialog()
    assert text_of(entries(dialog)[0]) == "i\ufffdj"
    dialog.press("OK")
    assert app.finish() == (0, b"", b"i\xfej\nw\n")


def test_label_only_row_answers_its_invalid_utf8_text_unchanged(wrenpane):
    app = wrenpane.start("--mixedform", "t", 0, 0, "1", *mixed(b"n\xe9", b"n\xe9", 2))
    dialog = app.dialog()
    assert entries(dialog) == []
    dialog.press("OK")
    assert app.finish() == (0, b"", b"n\xe9\n")


def long_form(labels):
    return ["--form", "t", 0, 0, str(len(labels)),
            *[member for n, label in enumerate(labels) for member in field(label, str(n))]]


def test_rows_beyond_the_first_screenful_arrive_aligned_and_editable(wrenpane):
    # A long form shows before all of its rows are made. A long label far
    # down widens the label column from the start, and the late rows answer
    # what is typed there.
    many = 600
    labels = [f"F{n}" for n in range(many)]
    first_entry_x = []
    for late_label in ("F500", "A much longer label far down"):
        labels[500] = late_label
        app = wrenpane.start(*long_form(labels))
        dialog = app.dialog()
        first_entry_x.append(position(entries(dialog)[0])[0])

        def every_entry():  # scrolled out of sight too
            return [a for a in dialog.find_all(None) if a.getRole() in ENTRY_ROLES]

        wait_until(lambda: len(every_entry()) == many, "every row made")
        set_text(every_entry()[550], "late")
        dialog.press("OK")
        answer = "".join(f"{'late' if n == 550 else n}\n" for n in range(many))
        assert app.finish() == (0, b"", answer.encode())
    assert first_entry_x[0] < first_entry_x[1]


def test_forms_too_big_for_any_window_stay_quiet(wrenpane):
    # A label wider and more rows taller than an X11 window can be: the label
    # is cut short and the rows scroll, instead of GDK warnings.
    many = 1000
    app = wrenpane.start(
        "--form", "t", 0, 0, str(many + 1), *field("L" * 6000, "first"),
        *[member for n in range(many) for member in field(f"F{n}", str(n))],
    )
    app.dialog().press("OK")
    answer = "first\n" + "".join(f"{n}\n" for n in range(many))
    assert app.finish() == (0, b"", answer.encode())
