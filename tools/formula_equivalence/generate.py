#!/usr/bin/env python3
"""Formula texts for comparing two builds of the formula compiler, one hex-encoded
text a line: the formulas in the formula tests, the kept fuzz findings, and generated
texts (well-formed and mutated expressions, operator chains up to and past the
1,024-character bound, chains where an E may start a number or be the variable,
identifier runs split by DIV and MOD).

usage: generate.py SEED COUNT SOURCE_ROOT
"""
import glob
import random
import re
import sys

rnd = random.Random(int(sys.argv[1]))
count = int(sys.argv[2])
root = sys.argv[3]
VARS = ["M%d" % i for i in range(1, 13)] + ["DOP", "DOP2", "A", "B", "C", "D", "E", "X", "Y", "T", "PI", "Q", "M13", "DO", "m1", "dop"]
NUMS = ["0", "1", "2", "3", "4", "2.5", ".5", "1.5", "1E3", "1.5E-2", "2.", "-2", "10", "0.25", "3E", "1,5", "1..2", "9999999999"]
OPS = ["+", "-", "*", "/", "^", "DIV", "MOD", "mod", "div"]
FUN1 = ["SIN(", "COS(", "TAN(", "SQRT(", "ABS(", "LN(", "EXP(", "SIGN(", "HEAV(", "FOO(", "sin("]
FUN2 = ["MAX(", "MIN(", "max("]
def operand(d):
    r = rnd.random()
    if d > 6 or r < 0.4: return rnd.choice(VARS)
    if r < 0.65: return rnd.choice(NUMS)
    if r < 0.75: return "(" + expr(d + 1) + ")"
    if r < 0.85: return rnd.choice(FUN1) + expr(d + 1) + ")"
    if r < 0.93: return rnd.choice(FUN2) + expr(d + 1) + "," + expr(d + 1) + ")"
    return "-" + operand(d + 1)
def expr(d=0):
    s = operand(d)
    for _ in range(rnd.randint(0, 4 if d < 3 else 1)):
        s += rnd.choice(OPS) + operand(d)
    return s
def mutate(s):
    s = list(s)
    for _ in range(rnd.randint(0, 4)):
        op = rnd.random(); i = rnd.randrange(len(s) + 1)
        tok = rnd.choice(["(", ")", ",", "+", "-", "*", "/", "^", "DIV", "MOD", " ", "M1", "2", ".", "E", "(("])
        if op < 0.4: s[i:i] = list(tok)
        elif op < 0.7 and s: del s[min(i, len(s) - 1)]
        elif s: s[min(i, len(s) - 1)] = tok
    return "".join(s)
def tokens(n):
    alpha = VARS + NUMS + OPS + FUN1 + FUN2 + ["(", ")", ",", "(", ")", "-"]
    return "".join(rnd.choice(alpha) for _ in range(n))
def grow(target):
    s = expr()
    while len(s) < target: s += rnd.choice(OPS) + expr()
    return s
SIGNED = ["E-2", "-E-2", "--E-2", "+E-2", ".E-2", "E+1", "E", "-E", "1.E-2", "2E+3", "-2", "+2", "1E-2", "1E+2", "-1E-2", "-A", "--2", "-M1", "2.5E-1", "-PI", "PI", "-(A)", "+A", "-SIN(2)", "--A"]
def chain(n):
    ops = ["-", "+", "*", "/", "^", "DIV", "MOD", "-", "*-", "/-", "^-", "--", "+-", "-+", "DIV-", "MOD-", "*--", "^+"]
    s = rnd.choice(VARS + NUMS + SIGNED)
    while len(s) < n:
        s += rnd.choice(ops) + rnd.choice(VARS + NUMS + SIGNED + ["(" + rnd.choice(VARS) + "-" + rnd.choice(SIGNED) + ")"])
    return s
# chains where an E may start a number or be a name, and long identifier runs split by DIV/MOD
EOPS = ["+", "-", "*", "/", "^", "DIV", "MOD", "+-", "-+", "*-", "/+", "^-", "--", "++", "DIV-", "MOD+"]
ETOK = ["E", "E", "E", "1E", "2.E", ".E", "E1", "E2", "M1", "DOP", "A", "-E", "+E", "1", "(E)", "(E+E)", "E+1", "E-2", "PI", "0", "SIN(E)", "MAX(E,M1)", "2E", "E.", "DIVE", "EMOD"]
def echain(n):
    s = rnd.choice(ETOK)
    while len(s) < n:
        s += rnd.choice(EOPS) + rnd.choice(ETOK)
    if rnd.random() < 0.5: s = s + rnd.choice(["", "/", "+", "-", ")", "(", "*", "E", "M1"])
    return s
def identrun(n):
    parts = ["M1", "M2", "DOP", "DOP2", "A", "E", "X1", "M12", "1", "2"]
    s = rnd.choice(parts)
    while len(s) < n:
        s += rnd.choice(["DIV", "MOD", "DIV", "MOD", "+", "*", "DIV-", "MOD("]) + rnd.choice(parts)
    return s
out = []
for f in sorted(glob.glob(root + "/tests/formula/fuzz_regressions/*")):
    out.append(open(f, "rb").read())
# formulas in the tests: string literals
for f in sorted(glob.glob(root + "/tests/formula/*.cpp")) + [root + "/bench/formula_bench.cpp"]:
    for m in re.finditer(r'"((?:[^"\\]|\\.)*)"', open(f, errors="replace").read()):
        t = m.group(1)
        if len(t) < 1100 and "\\" not in t:
            out.append(t.encode())
for f in sorted(glob.glob(root + "/bench/fuzz/corpus-formula/*")):
    out.append(open(f, "rb").read())
for i in range(count):
    k = rnd.random()
    if rnd.random() < 0.3:
        j = rnd.random()
        if j < 0.45: t = echain(rnd.choice([3, 8, 20, 60, 200, 600, 1000, 1024]))[:rnd.choice([1021, 1024, 1025])]
        elif j < 0.7: t = mutate(echain(rnd.choice([8, 20, 60, 200])))
        elif j < 0.85: t = identrun(rnd.choice([5, 12, 40, 200, 1000]))[:1024]
        else: t = mutate(identrun(rnd.choice([8, 30, 100])))
        out.append(t.encode()); continue
    if k < 0.3: t = mutate(expr())
    elif k < 0.5: t = tokens(rnd.randint(1, 60))
    elif k < 0.7: t = mutate(grow(rnd.choice([200, 500, 900, 1000, 1020])))[:rnd.choice([1023, 1024, 1025, 2000])]
    elif k < 0.85: t = expr() if rnd.random() < 0.5 else chain(rnd.choice([5, 12, 30, 80, 300, 1000]))[:rnd.choice([1024, 1024, 100000])]
    elif k < 0.93: t = mutate(chain(rnd.choice([8, 20, 60, 200])))
    else: t = mutate(tokens(rnd.randint(100, 400)))[:1100]
    out.append(t.encode())
for t in out:
    t = t.replace(b"\n", b"")
    print(t.hex())
