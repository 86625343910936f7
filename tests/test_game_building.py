"""Games built and annotated: the same random edits made on a tarvik game and a python-chess game must
export the same text, read back as the same tree, and give the same clocks, scores and arrows."""

import copy
import io
import pickle
import random

import chess
import chess.engine
import chess.pgn
import chess.svg
import pytest

import tarvik
from tarvik import Arrow, Game, Move, Score

COMMENTS = ["", "book", "[%clk 0:01:00]", " [%eval 1.0] x", "[%csl Ga1][%cal Ra1h8] idea", "a [%clk 1:02:03.5]b",
            "[%eval #-2,12]\nnext", "[%cal Gb1c3,Yg8f6 ]", "x [%csl Bd4] [%cal Ge2e4] y"]
SECONDS = [0, 0.5, 59.9996, 61.25, 3599.9999, 3600, 86_399.5, 1e7, -3]


def random_score(rng, turn):
    if rng.random() < 0.3:
        mate = rng.choice([-3, -1, 0, 1, 2, 5])
        return Score(turn, mate=mate), chess.engine.PovScore(chess.engine.Mate(mate), turn)
    cp = rng.choice([0, 1, -1, 24, -35, 150, -999, 12345])
    return Score(turn, cp=cp), chess.engine.PovScore(chess.engine.Cp(cp), turn)


def random_arrows(rng):
    arrows = [(rng.randrange(64), rng.randrange(64), rng.choice(["green", "red", "yellow", "blue"]))
              for _ in range(rng.randrange(4))]
    arrows += [(s, s, "red") for s in rng.sample(range(64), rng.randrange(2))]
    return [Arrow(t, h, color=c) for t, h, c in arrows], [chess.svg.Arrow(t, h, color=c) for t, h, c in arrows]


def edit(rng, pairs):
    """One random edit, made on both games alike."""
    ours, theirs = rng.choice(pairs)
    board = theirs.board()
    kind = rng.randrange(10)
    if kind < 4 and not board.is_game_over():
        moves = list(board.legal_moves)
        move = rng.choice(moves)
        comment, starting, nags = rng.choice(COMMENTS), rng.choice(COMMENTS), rng.sample([1, 2, 5, 14, 146], 2)
        if kind == 0:
            pairs.append((ours.add_main_variation(Move.from_uci(move.uci()), comment=comment, nags=nags),
                          theirs.add_main_variation(move, comment=comment, nags=nags)))
        elif kind == 1:
            line = [move]
            board.push(move)
            while len(line) < 4 and not board.is_game_over():
                line.append(rng.choice(list(board.legal_moves)))
                board.push(line[-1])
            pairs.append((ours.add_line([Move.from_uci(m.uci()) for m in line], comment=comment,
                                        starting_comment=starting, nags=nags),
                          theirs.add_line(line, comment=comment, starting_comment=starting, nags=nags)))
        else:
            pairs.append((ours.add_variation(Move.from_uci(move.uci()), comment=comment, starting_comment=starting,
                                             nags=nags),
                          theirs.add_variation(move, comment=comment, starting_comment=starting, nags=nags)))
    elif kind < 6 and theirs.variations:
        i = rng.randrange(len(theirs.variations))
        how = rng.choice(["promote_to_main", "promote", "demote", "remove_variation"])
        key = rng.choice([i, "move", "node"])
        our_key = i if key == i else ours.variation(i) if key == "node" else Move.from_uci(theirs.variations[i].move.uci())
        their_key = i if key == i else theirs.variations[i] if key == "node" else theirs.variations[i].move
        getattr(ours, how)(our_key)
        getattr(theirs, how)(their_key)
    elif kind == 6:
        seconds = rng.choice(SECONDS + [None])
        ours.set_clock(seconds)
        theirs.set_clock(seconds)
    elif kind == 7:
        if rng.random() < 0.2:
            ours.set_eval(None)
            theirs.set_eval(None)
        else:
            depth = rng.choice([None, 0, 18, -2])
            score, their_score = random_score(rng, rng.random() < 0.5)
            ours.set_eval(score, depth)
            theirs.set_eval(their_score, depth)
    elif kind == 8:
        arrows, their_arrows = random_arrows(rng)
        ours.set_arrows(arrows)
        theirs.set_arrows(their_arrows)
    else:
        comment = rng.choice(COMMENTS)
        ours.comment = theirs.comment = comment
        if isinstance(theirs, chess.pgn.ChildNode):
            ours.starting_comment = theirs.starting_comment = rng.choice(COMMENTS)
            theirs.nags = set(rng.sample([1, 3, 7], rng.randrange(3)))
            ours.nags = theirs.nags


def same_score(ours, theirs):
    if ours is None or theirs is None:
        return ours is theirs
    return (ours.turn == theirs.turn and ours.mate() == theirs.relative.mate()
            and ours.score(mate_score=10_000) == theirs.relative.score(mate_score=10_000)
            and ours.white().score() == theirs.white().score())


def assert_same_tree(ours, theirs):
    pairs = [(ours, theirs)]
    while pairs:
        mine, reference = pairs.pop()
        assert [node.move.uci() for node in mine.variations] == [node.move.uci() for node in reference.variations]
        assert mine.comment == reference.comment
        assert mine.clock() == reference.clock() if isinstance(mine, tarvik.GameNode) else True
        if isinstance(mine, tarvik.GameNode):
            assert (mine.starting_comment, set(mine.nags)) == (reference.starting_comment, reference.nags)
            assert same_score(mine.eval(), reference.eval()), (mine.comment, mine.eval(), reference.eval())
            assert mine.eval_depth() == reference.eval_depth()
            assert [arrow.pgn() for arrow in mine.arrows()] == [arrow.pgn() for arrow in reference.arrows()]
            assert (mine.is_mainline(), mine.starts_variation(), mine.ply(), mine.turn()) == (
                reference.is_mainline(), reference.starts_variation(), reference.ply(), reference.turn())
        pairs += zip(mine.variations, reference.variations)


@pytest.mark.parametrize("seed", range(12))
def test_random_edits_export_as_python_chess_writes_them(seed):
    rng = random.Random(seed)
    fen = rng.choice([chess.STARTING_FEN, "r3k2r/1P4P1/8/2pP4/5pP1/8/1p4p1/R3K2R b KQkq g3 0 30"])
    ours, theirs = (Game(), chess.pgn.Game()) if fen == chess.STARTING_FEN else (
        Game.from_board(tarvik.Board(fen)), chess.pgn.Game.from_board(chess.Board(fen)))
    pairs = [(ours, theirs)]
    for _ in range(150):
        edit(rng, pairs)
        if rng.random() < 0.1:  # the tags, roster ones included
            name = rng.choice(["Event", "White", "Result", "ECO", "Annotator", "WhiteElo"])
            if rng.random() < 0.3 and name in ours.headers:  # python-chess's from_board holds roster defaults
                del ours.headers[name], theirs.headers[name]
            else:
                # (no quote or backslash: python-chess writes them unescaped, which PGN cannot read back)
                ours.headers[name] = theirs.headers[name] = rng.choice(["?", "Ann", "2710", "*", "1-0"])
    if fen == chess.STARTING_FEN:  # Game.from_board gives the roster no tags (the export writes them)
        assert list(ours.headers.items()) == list(theirs.headers.items())
    assert_same_tree(ours, theirs)
    assert ours.export() == theirs.accept(chess.pgn.StringExporter())
    assert str(ours) == str(theirs)
    # Read back as python-chess reads it back (a starting comment of a main continuation joins the comment
    # before it, for both).
    again, their_again = next(tarvik.read_pgn(str(ours).encode())), chess.pgn.read_game(io.StringIO(str(theirs)))
    assert not again.errors and again.export() == their_again.accept(chess.pgn.StringExporter())
    assert_same_tree(again, their_again)


def test_illegal_moves_and_missing_children_change_nothing():
    game = Game()
    node = game.add_variation(Move.from_uci("e2e4"))
    before = game.export()
    for call, error in [(lambda: node.add_variation(Move.from_uci("e2e4")), ValueError),
                        (lambda: node.add_line([Move.from_uci("e7e5"), Move.from_uci("e1e3")]), ValueError),
                        (lambda: game.variation(Move.from_uci("d2d4")), KeyError),
                        (lambda: game.promote(3), IndexError),
                        (lambda: game.remove_variation(Game().add_variation(Move.from_uci("e2e4"))), KeyError),
                        (lambda: node.set_clock(float("nan")), ValueError),
                        (lambda: Arrow(0, 1, color="purple"), ValueError),
                        (lambda: Arrow.from_pgn("Xa1"), ValueError),
                        (lambda: Game({"Bad Name": "x"}), ValueError)]:
        with pytest.raises(error):
            call()
    assert game.export() == before and not game.has_variation(Move.from_uci("d2d4"))
    # A broken start answers with ValueError, never a panic.
    broken = Game.from_board(tarvik.Board("8/8/8/8/8/8/8/K7 w - - 0 1"))
    with pytest.raises(ValueError, match="illegal move"):
        broken.add_variation(Move.from_uci("a1a2"))


def test_scores_as_python_chess_has_them():
    values = [("cp", v) for v in (-500, -1, 0, 1, 35)] + [("mate", v) for v in (-3, -1, 0, 1, 4)]
    scores = [(Score(turn, **{kind: v}), chess.engine.PovScore(
        chess.engine.Cp(v) if kind == "cp" else chess.engine.Mate(v), turn)) for kind, v in values
        for turn in (True, False)]
    for ours, theirs in scores:
        for color in (True, False):
            mine, reference = ours.pov(color), theirs.pov(color)
            assert (mine.score(), mine.mate(), mine.score(mate_score=1000), mine.is_mate()) == (
                reference.score(), reference.mate(), reference.score(mate_score=1000), reference.is_mate())
        assert same_score(ours, theirs) and same_score(ours.white(), chess.engine.PovScore(theirs.white(), True))
        assert pickle.loads(pickle.dumps(ours.black())) == ours and copy.copy(ours).turn == ours.turn
        assert eval(repr(ours.black()), {"Score": Score}).turn is False
    for (a, their_a), (b, their_b) in zip(scores, scores[2:]):
        assert (a == b) == (their_a == their_b) and (hash(a) == hash(b) or a != b)
        if a.turn == b.turn:
            assert (a < b) == (their_a.relative < their_b.relative)
    with pytest.raises(TypeError, match="points of view"):
        Score(True, cp=1) < Score(False, cp=1)  # noqa: B015 - the comparison is what raises
    with pytest.raises(TypeError, match="exactly one"):
        Score(True)


def test_headers_behave_as_python_chess_headers():
    rng = random.Random(3)
    ours, theirs = Game().headers, chess.pgn.Game().headers
    assert isinstance(ours, __import__("collections").abc.MutableMapping)
    for _ in range(300):
        name = rng.choice(["Event", "Site", "Result", "ECO", "WhiteElo", "Annotator", "Missing"])
        value = rng.choice(["?", "x", "2710"])
        call = rng.choice([
            lambda h: h.__setitem__(name, value), lambda h: h.get(name), lambda h: h.get(name, "-"),
            lambda h: h.pop(name, None), lambda h: h.setdefault(name, value), lambda h: name in h, len,
            lambda h: h.update({name: value}, WhiteElo="1"), lambda h: h.update([(name, value)]),
            lambda h: sorted(h.items()), lambda h: list(h), lambda h: h.copy() == dict(h)])
        if rng.random() < 0.02:
            call = lambda h: h.clear()  # noqa: E731 - one more of the calls above
        assert call(ours) == call(theirs)
        assert list(ours.items()) == list(theirs.items()) and ours == dict(theirs)
    with pytest.raises(KeyError):
        del ours["Missing"]
    with pytest.raises(ValueError, match="line break"):
        ours["Event"] = "a\nb"
    game = next(tarvik.read_pgn(b'[Event "x"]\n[Site "y"]\n\n1. e4 *'))
    game.headers = {"White": "Anna"}
    assert game.headers == {"White": "Anna"} and game.export(columns=None) == '[White "Anna"]\n\n1. e4 *'
