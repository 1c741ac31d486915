"""The test's own deck of 100 cards: every card's entries differ from every other card's, so
the card on a panel can be told from its entries alone."""

POS = ["Ropes", "Center", "Corner", "Ring center"]
RES = ["Jab", "Hook", "Cross", "Uppercut", "Clinch", "Counter", "Body blow", "Miss"]
INJ = ["None", "Cut over left eye", "Bloody nose", "Swelling under the eye"]

TEXT_FIELDS = {"No", "Pos", "RN", "Res", "J1", "J2", "J3", "Cond", "Inj", "SA"}
FIELDS = ["No", "Pos", "CF", "RN", "Res", "KD", "KD2", "KOR", "KDC", "J1", "J2", "J3",
          "Cond", "Inj", "SA"]
# The order of the fourteen entry labels of either panel (the card number has none).
SHOWN = FIELDS[1:]


def card(k):
    cond = f"Card {k}: defender backs off, breathing hard"
    if k == 7:
        cond = "Cut & swelling, card 7"
    return {
        "No": str(k),
        "Pos": f"{POS[k % 4]} {k}",
        "CF": k,
        "RN": f"{k % 10}-{k % 7}",
        "Res": f"{RES[k % 8]} #{k}",
        "KD": k % 3,
        "KD2": -1 if k % 10 == 0 else k % 2,
        "KOR": (k * 7) % 5,
        "KDC": (k * 3) % 11,
        "J1": "ABCDE"[k % 5],
        "J2": str(k % 4),
        "J3": "1/2" if k % 6 == 0 else "D",
        "Cond": cond,
        "Inj": f"{INJ[k % 4]} (card {k})",
        "SA": f"Slugger adds {k % 3} to KD chance, card {k}",
    }


def deck():
    return {k: card(k) for k in range(1, 101)}


def line(rec, overflow_field=None, overflow_value=None):
    vals = []
    for f in FIELDS:
        if f == overflow_field:
            vals.append(str(overflow_value))
        elif f in TEXT_FIELDS:
            vals.append('"' + rec[f] + '"')
        else:
            vals.append(str(rec[f]))
    return ",".join(vals) + "\r\n"


def write(path, records, overflow=None):
    """overflow = (card number, field, value): that card's field holds an unreadable number."""
    with open(path, "w", newline="") as f:
        for k in sorted(records):
            if overflow and overflow[0] == k:
                f.write(line(records[k], overflow[1], overflow[2]))
            else:
                f.write(line(records[k]))


def shown(rec):
    """The fourteen texts a panel shows for a record (numbers as decimal text)."""
    return tuple(str(rec[f]) for f in SHOWN)


EMPTY_CARD = tuple("0" if f not in TEXT_FIELDS else "" for f in SHOWN)
