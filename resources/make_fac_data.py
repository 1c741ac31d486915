#!/usr/bin/env python3
"""Writes resources/fac_data.txt, the sample deck of 100 FACs.

Every entry is made up here from the word lists below with a fixed seed, so the file is
the same on every run. The output is in the writer's format: one card per line, texts in
double quotes, numbers bare, CR LF line ends, nothing after the last line break.
"""
import random
from pathlib import Path

POSITIONS = ["Center", "Ropes", "Corner", "Center", "Ropes", "Neutral Corner",
             "Center Ring", "Ropes, Blue Side", "Corner, Red Side", "Open Ring", "Apron Side"]

RESULTS = {
    "Jab": 5, "Double Jab": 2, "Hook": 4, "Left Hook": 2, "Cross": 3, "Uppercut": 3,
    "Clinch": 4, "Miss": 4, "Counter": 4, "Body Shot": 3, "Combination": 2, "Flurry": 2,
    "Block": 2, "Slip": 2, "Feint": 1, "Haymaker": 1, "Hook to the Body": 1,
    "Jab, Cross": 1, "Straight Right": 2, "Overhand Right": 1, "Rabbit Punch": 1,
}

RATINGS = ["1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12",
           "2A", "4B", "6C", "8*", "10*", "3/5", "7/9", "1-4", "5-8", "9-12"]

MARKS = ["A", "A", "B", "B", "E", "E", "1", "2", "C", "", "D", "1/2"]

CONDITIONS = [
    "Aggressor loses 1 stamina point",
    "Both fighters lose 1 stamina point",
    "Defender loses 2 stamina points if already cut",
    "No change in condition",
    "Aggressor tires: -1 to next punch",
    "Defender rattled: -1 defense this exchange",
    "Second wind for the trailing fighter",
    "Check stamina: below 5 means a slip to the canvas",
    "Crowd roars; no effect on condition",
    "Defender backs off, breathing hard",
    "Both fighters wary, trading feints",
    "Aggressor gains momentum, +1 next card",
    "Fatigue: subtract 1 from the higher endurance",
    "Heavy legs: defender cannot move this card",
    "Referee warns both for holding",
    "Fresh fighter gains 1 stamina point",
]

INJURIES = [
    "None",
    "None",
    "None",
    "Cut over left eye on a roll of 1",
    "Cut over right eye on a roll of 1 or 2",
    "Bloody nose: -1 stamina each round",
    "Swelling under the eye, check at round end",
    "Bruised ribs: -1 to body defense",
    "Split lip, no effect",
    "Hand injury to aggressor on a roll of 10",
    "Cut reopens if already cut",
    "Mouse under left eye, doctor looks at it",
    "Ear swollen, no effect this round",
    "Eye closing: -2 defense if cut twice",
    "Ankle turned, defender -1 footwork",
]

SPECIALS = [
    "None",
    "None",
    "Southpaw gains +1 on counters",
    "Slugger adds 1 to KD chance",
    "Boxer may re-draw once per round",
    "Referee breaks the clinch",
    "Point deducted for low blow on a roll of 1",
    "Inside fighter gains +1 in the corner",
    "Counterpuncher may switch to attack",
    "Cornerman shouts; aggressor +1 next card",
    "Knockdown roll doubled if on the ropes",
    "Defender may clinch, ending the exchange",
    "Judges favour the fighter moving forward",
    "Check for a standing eight count",
    "Both fighters swap roles",
    "Switch-hitter may change stance",
    "Warning for holding and hitting",
    "Slip to the canvas, no knockdown",
]


def knockdown_numbers(rng, result):
    """Small knockdown figures, mostly zero, larger for the heavy punches."""
    heavy = result in ("Hook", "Left Hook", "Uppercut", "Cross", "Haymaker", "Counter",
                       "Overhand Right", "Straight Right", "Combination")
    if result in ("Miss", "Block", "Slip", "Clinch", "Feint"):
        return 0, 0, 0, 0
    kd = rng.choice([0, 0, 1, 1, 2, 3] if heavy else [0, 0, 0, 1])
    kd2 = rng.choice([0, 0, 1, 2]) if kd else 0
    kor = rng.choice([0, 1, 2, 3, 4, 5, 6]) if kd >= 2 else rng.choice([0, 0, 1])
    kdc = rng.choice([0, 1, 2]) if kd else 0
    return kd, kd2, kor, kdc


def main():
    rng = random.Random(20240917)
    results = [r for r, weight in RESULTS.items() for _ in range(weight)]
    lines = []
    for k in range(1, 101):
        result = rng.choice(results)
        kd, kd2, kor, kdc = knockdown_numbers(rng, result)
        cf = rng.randint(1, 20)
        texts_before = [str(k), rng.choice(POSITIONS)]
        values = ['"%s"' % t for t in texts_before]
        values.append(str(cf))
        values.append('"%s"' % rng.choice(RATINGS))
        values.append('"%s"' % result)
        values += [str(kd), str(kd2), str(kor), str(kdc)]
        values += ['"%s"' % rng.choice(MARKS) for _ in range(3)]
        values.append('"%s"' % rng.choice(CONDITIONS))
        values.append('"%s"' % rng.choice(INJURIES))
        values.append('"%s"' % rng.choice(SPECIALS))
        assert not any('"' in v[1:-1] for v in values if v.startswith('"'))
        lines.append(",".join(values) + "\r\n")
    out = Path(__file__).with_name("fac_data.txt")
    out.write_bytes("".join(lines).encode("ascii"))


if __name__ == "__main__":
    main()
