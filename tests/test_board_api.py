"""The Board API python-chess users reach for, against python-chess itself: one differential loop per group of
methods (queries, outcome and draw claims, kinds of moves and notation, editing and validity) over seeded random
games from many starting positions, odd but readable ones included."""

import random

import chess
import pytest

import tarvik
from conftest import random_game
from tarvik import Board, Move
from test_oracle import POSITIONS

ODD_STARTS = [
    # Draw claims close at hand: clocks about to reach fifty moves, pieces that shuffle.
    "7k/8/8/8/8/8/8/K5R1 w - - 95 80",
    "4k3/8/8/8/8/8/8/R3K2R w KQ - 97 60",
    "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 140 90",
    # Material that runs out, and mates close at hand.
    "8/8/4k3/8/8/3NK3/8/8 w - - 0 1",
    "8/8/8/5k2/8/8/2B1K3/8 b - - 0 1",
    "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1",
    "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1",
    # Positions python-chess reads but no game reaches: castling rights without their rooks, en-passant squares
    # no push made, kings missing or too many, pawns on the back rank, impossible checks.
    "4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1",
    "r3k2r/8/8/8/8/8/8/R3K2R w KQkq e3 0 1",
    "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1",
    "4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1",
    "4k3/8/8/8/8/8/8/8 w - - 0 1",
    "4k3/8/8/8/8/8/8/3KK3 w - - 0 1",
    "P3k3/8/8/8/8/8/8/4K2p w - - 0 1",
    "4k3/8/8/8/8/8/pppppppp/PPPPPPPP w - - 0 1",
    "4k3/8/8/8/1b6/8/3r4/r3K3 w - - 0 1",
    "3rk3/8/8/8/8/8/8/r3K3 w - - 0 1",
    "4k3/8/8/8/8/8/4R3/4K3 w - - 0 1",
    "4k3/8/8/8/8/8/8/r3K2R w - - 0 1",
]
STARTS = POSITIONS + ODD_STARTS
GAMES, PLIES = 3, 40


def seeded_game(fen, seed):
    """(ours, theirs) after each ply of a seeded random game; half the games prefer moves that can be taken back."""
    shuffling = seed % 2 == 1

    def choose(rng, theirs, moves):
        quiet = [m for m in moves if not theirs.is_zeroing(m) and not theirs.is_castling(m)]
        return rng.choice(quiet if shuffling and quiet else moves)

    # The lenient constructor keeps castling rights no rook can use, as python-chess does until a move is played.
    return random_game(fen, seed, PLIES, choose, goes_on=lambda theirs: playable(theirs) and not theirs.is_game_over())


def positions():
    for index, fen in enumerate(STARTS):
        for game in range(GAMES):
            yield from seeded_game(fen, seed=100 * index + game)


def playable(theirs):
    """Whether tarvik's moves are python-chess's: each side has one king (tarvik moves only the highest), and no
    king can be taken (tarvik cannot list the moves then)."""
    return all(len(theirs.pieces(chess.KING, color)) == 1 for color in chess.COLORS) and not theirs.was_into_check()


def symbol(piece):
    return None if piece is None else piece.symbol()


def fen_without_castling(fen):
    fields = fen.split()
    return fields[:2] + fields[3:]


@pytest.fixture(scope="module")
def reached():
    return [(ours.copy(), theirs.copy()) for ours, theirs in positions()]


def test_the_games_reach_every_outcome_and_claim(reached):
    seen = set()
    for _, theirs in reached:
        if playable(theirs):
            outcome = theirs.outcome(claim_draw=True)
            seen.add(outcome.termination.name if outcome else None)
    assert seen >= {None, "CHECKMATE", "STALEMATE", "INSUFFICIENT_MATERIAL", "SEVENTYFIVE_MOVES", "FIFTY_MOVES",
                    "THREEFOLD_REPETITION"}, seen


def test_queries_agree(reached):
    for ours, theirs in reached:
        fen = theirs.fen()
        assert [ours.piece_at(s) for s in range(64)] == [symbol(theirs.piece_at(s)) for s in range(64)], fen
        assert ours.piece_map() == {s: p.symbol() for s, p in theirs.piece_map().items()}, fen
        assert list(ours.piece_map()) == list(theirs.piece_map()), fen
        for color in (True, False):
            assert ours.king(color) == theirs.king(color), fen
            assert [ours.attackers(color, s) for s in range(64)] == [
                theirs.attackers_mask(color, s) for s in range(64)], fen
            assert [ours.pin(color, s) for s in range(64)] == [theirs.pin_mask(color, s) for s in range(64)], fen
            assert [ours.is_pinned(color, s) for s in range(64)] == [theirs.is_pinned(color, s) for s in range(64)]
            assert (ours.has_kingside_castling_rights(color), ours.has_queenside_castling_rights(color)) == (
                theirs.has_kingside_castling_rights(color), theirs.has_queenside_castling_rights(color)), fen
        assert [ours.attacks(s) for s in range(64)] == [theirs.attacks_mask(s) for s in range(64)], fen
        assert ours.checkers() == theirs.checkers_mask(), fen
        assert (ours.ply(), ours.halfmove_clock, ours.fullmove_number, ours.ep_square) == (
            theirs.ply(), theirs.halfmove_clock, theirs.fullmove_number, theirs.ep_square), fen
        assert [m.uci() for m in ours.move_stack] == [m.uci() for m in theirs.move_stack], fen
        if theirs.move_stack:
            assert ours.peek().uci() == theirs.peek().uci()


def outcome_of(outcome):
    return None if outcome is None else (outcome.termination.name, outcome.winner, outcome.result())


def test_outcome_and_claims_agree(reached):
    for ours, theirs in reached:
        fen = theirs.fen()
        if not playable(theirs):
            # A missing king, or one the side to move can take: tarvik lists no moves there and says why.
            if theirs.king(chess.WHITE) is None or theirs.king(chess.BLACK) is None or theirs.was_into_check():
                with pytest.raises(ValueError, match="^broken position: "):
                    ours.outcome()
            continue
        for claim_draw in (False, True):
            assert outcome_of(ours.outcome(claim_draw=claim_draw)) == outcome_of(
                theirs.outcome(claim_draw=claim_draw)), fen
            assert ours.result(claim_draw=claim_draw) == theirs.result(claim_draw=claim_draw), fen
        assert (ours.can_claim_fifty_moves(), ours.can_claim_threefold_repetition(), ours.can_claim_draw()) == (
            theirs.can_claim_fifty_moves(), theirs.can_claim_threefold_repetition(), theirs.can_claim_draw()), fen


def candidate_moves(ours, rng):
    """Every pseudo-legal and castling move, some with promotions they lack, and random moves of any piece."""
    try:
        moves = ours._castling_moves() + ours.pseudo_legal_moves()
    except BaseException:  # noqa: BLE001 - a side without a king lists no moves
        moves = []
    occupied = [s for s in range(64) if ours.piece_at(s)]
    for _ in range(12):
        if occupied:
            origin = rng.choice(occupied)
            target = rng.choice([s for s in range(64) if s != origin])
            moves.append(Move(origin, target, rng.choice([None, None, None, "q", "n"])))
    return moves


def test_kinds_of_moves_agree(reached):
    rng = random.Random(5)
    for ours, theirs in reached:
        fen = theirs.fen()
        legal = {m.uci() for m in theirs.legal_moves} if playable(theirs) else set()
        for move in candidate_moves(ours, rng):
            theirs_move = chess.Move.from_uci(move.uci())
            where = f"{move.uci()} in {fen}"
            assert ours.is_capture(move) == theirs.is_capture(theirs_move), where
            assert ours.is_en_passant(move) == theirs.is_en_passant(theirs_move), where
            assert ours.is_zeroing(move) == theirs.is_zeroing(theirs_move), where
            assert (ours.is_castling(move), ours.is_kingside_castling(move), ours.is_queenside_castling(move)) == (
                theirs.is_castling(theirs_move), theirs.is_kingside_castling(theirs_move),
                theirs.is_queenside_castling(theirs_move)), where
            if not playable(theirs):
                continue
            assert ours.is_irreversible(move) == theirs.is_irreversible(theirs_move), where
            # python-chess also reads a king taking its own rook as castling; tarvik castles by the king's move.
            if theirs.is_castling(theirs_move) and abs(move.to_square - move.from_square) != 2:
                continue
            assert ours.is_pseudo_legal(move) == theirs.is_pseudo_legal(theirs_move), where
            if theirs.is_pseudo_legal(theirs_move):
                assert ours.gives_check(move) == theirs.gives_check(theirs_move), where
            if move.uci() in legal:
                assert ours.lan(move) == theirs.lan(theirs_move), where


def test_variation_san_agrees():
    for index, fen in enumerate(STARTS):
        if not playable(chess.Board(fen)):
            continue
        for game in range(GAMES):
            *_, (_, theirs) = seeded_game(fen, seed=100 * index + game)
            moves = list(theirs.move_stack)
            for start in (0, 1):
                ours_start, theirs_start = Board.from_fen(fen), chess.Board(fen)
                for move in moves[:start]:
                    ours_start.push_uci(move.uci())
                    theirs_start.push(move)
                line = [Move.from_uci(move.uci()) for move in moves[start:]]
                assert ours_start.variation_san(line) == theirs_start.variation_san(moves[start:]), fen
                assert len(ours_start.move_stack) == len(moves[:start])  # the board is not changed


def test_editing_and_validity_agree(reached):
    rng = random.Random(9)
    for ours, theirs in reached:
        assert ours.status() == theirs.status() and ours.is_valid() == theirs.is_valid(), theirs.fen()
        mirrored = ours.mirror()
        assert mirrored.to_fen() == theirs.mirror().fen(en_passant="fen"), theirs.fen()
        assert mirrored.mirror().to_fen() == theirs.mirror().mirror().fen(en_passant="fen")
        # The mirror keeps the castling rights that can be used; python-chess keeps the others too and flags them.
        assert mirrored.move_stack == []
        assert mirrored.status() == theirs.mirror().status() & ~chess.STATUS_BAD_CASTLING_RIGHTS
        # The same edits on both boards, then the position, its validity and the emptied stacks.
        ours, theirs = ours.copy(), theirs.copy()
        for _ in range(3):
            square = rng.randrange(64)
            symbol = rng.choice("PNBRQKpnbrqk..")
            if symbol == ".":
                removed = theirs.remove_piece_at(square)
                assert ours.remove_piece_at(square) == (removed.symbol() if removed else None)
            else:
                ours.set_piece_at(square, symbol)
                theirs.set_piece_at(square, chess.Piece.from_symbol(symbol))
            # Castling text is kept as the FEN gave it; python-chess writes what can be used.
            assert fen_without_castling(ours.to_fen()) == fen_without_castling(theirs.fen(en_passant="fen"))
            assert ours.move_stack == [] and ours.status() == theirs.status(), theirs.fen()
